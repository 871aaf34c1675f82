#include <QApplication>

int RunCardTreeTests(int argc, char** argv);
int RunGroupDialogsTests(int argc, char** argv);
int RunGroupCommandsTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failures = 0;
    for (auto* run : {RunCardTreeTests, RunGroupDialogsTests, RunGroupCommandsTests})
        failures += run(argc, argv);
    return failures == 0 ? 0 : 1;
}
