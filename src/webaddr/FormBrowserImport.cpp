#include "webaddr/FormBrowserImport.h"

#include "common/gui/AccessibleName.h"
#include "webaddr/BrowserProfiles.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFormBrowserImport::TFormBrowserImport(const std::vector<TBrowserProfile>& profiles,
                                       QWidget* parent)
    : TFormBaseDlg(parent)
{
    setWindowTitle(tr("从浏览器导入书签"));
    resize(420, 300);
    auto* layout = new QVBoxLayout(Body);
    auto* label = new QLabel(tr("导入哪个浏览器配置的书签(&B)："), Body);
    lstProfiles = new QListWidget(Body);
    lstProfiles->setAccessibleName(tr("浏览器配置"));
    label->setBuddy(lstProfiles);
    label->setAccessibleName(WithoutMnemonic(label->text()));
    for (const TBrowserProfile& profile : profiles)
        lstProfiles->addItem(profile.Label());
    lstProfiles->setCurrentRow(0);
    // The arrow keys choose at once, without a click into the list first.
    lstProfiles->setFocus();
    connect(lstProfiles, &QListWidget::itemDoubleClicked, btnOK, &QPushButton::click);
    layout->addWidget(label);
    layout->addWidget(lstProfiles, 1);
    // The design size is the least; a larger font makes the dialog grow instead of cutting.
    setMinimumSize(QSize(420, 300).expandedTo(minimumSizeHint()));
    resize(minimumSize());
}

void TFormBrowserImport::btnOKClick()
{
    if (lstProfiles->currentRow() >= 0)
        SetModalResult(mrOK);
}

int ChooseBrowserProfile(const std::vector<TBrowserProfile>& profiles)
{
    TFormBrowserImport dialog(profiles);
    return dialog.ShowModal() == mrOK ? dialog.lstProfiles->currentRow() : -1;
}
