#pragma once
// Every QTest class of the suite registers itself; the test program runs the one named
// by its first argument, or all of them.

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<std::pair<std::string, GuiTestFactory>>& GuiTests()
{
    static std::vector<std::pair<std::string, GuiTestFactory>> tests;
    return tests;
}

struct CRegisterGuiTest {
    CRegisterGuiTest(const char* name, GuiTestFactory factory) { GuiTests().emplace_back(name, std::move(factory)); }
};

}  // namespace corvane::test

#define CORVANE_GUI_TEST(Class) \
    static ::corvane::test::CRegisterGuiTest register_##Class(#Class, [] { return std::make_unique<Class>(); });
