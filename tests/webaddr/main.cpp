#include <QApplication>

int RunIEStoreTests(int argc, char** argv);
int RunAddressDialogTests(int argc, char** argv);
int RunWebAddrPageTests(int argc, char** argv);

// The address tests in one executable: the store, the dialogs and the page.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failures = 0;
    for (auto* run : {RunIEStoreTests, RunAddressDialogTests, RunWebAddrPageTests})
        failures += run(argc, argv);
    return failures;
}
