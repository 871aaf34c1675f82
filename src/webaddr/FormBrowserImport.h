#pragma once

#include "controls/FormBaseDlg.h"

#include <vector>

class QListWidget;
struct TBrowserProfile;

// "从浏览器导入书签": the browser profiles found, one line each ("Firefox — default-release"),
// the first chosen.
class TFormBrowserImport final : public TFormBaseDlg
{
    Q_OBJECT

public:
    explicit TFormBrowserImport(const std::vector<TBrowserProfile>& profiles,
                                QWidget* parent = nullptr);

    QListWidget* lstProfiles = nullptr;

protected:
    void btnOKClick() override;
};

// Shows the dialog; the index of the profile chosen, or -1 when cancelled.
int ChooseBrowserProfile(const std::vector<TBrowserProfile>& profiles);
