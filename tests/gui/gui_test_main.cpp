// Runs the QTest classes of the suite: `gui_tests CLASS [QTest options]`, or all.

#include <QApplication>
#include <QTest>

#include <cstring>

#include "tests/gui/gui_test_registry.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> args{argv[0]};
    for (int i = only ? 2 : 1; i < argc; ++i) args.push_back(argv[i]);

    int failures = 0;
    bool ran = false;
    for (auto& [name, factory] : corvane::test::GuiTests()) {
        if (only && name != only) continue;
        ran = true;
        std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    if (!ran) {
        std::fprintf(stderr, "no test class named %s\n", only);
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
