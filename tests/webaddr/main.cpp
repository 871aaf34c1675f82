#include <QApplication>

int RunIEStoreTests(int argc, char** argv);
int RunAddressDialogTests(int argc, char** argv);
int RunWebAddrPageTests(int argc, char** argv);
int RunBookmarkTests(int argc, char** argv);

// The address tests in one executable: the store, the dialogs, the page and the
// bookmark files.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failures = 0;
    for (auto* run :
         {RunIEStoreTests, RunAddressDialogTests, RunWebAddrPageTests, RunBookmarkTests})
        failures += run(argc, argv);
    return failures;
}
