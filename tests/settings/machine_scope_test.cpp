// The two scopes of the "Modem" keys: what a read returns and where a write goes, whether
// or not this user may write the machine scope.

#include <gtest/gtest.h>

#include "settings/memory_settings.h"

namespace corvane {
namespace {

enum Held { None = 0, User = 1, Machine = 2, Both = 3 };

struct Scopes {
    std::string user, machine;  // "-" for an absent key
    bool operator==(const Scopes&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Scopes& s) { return out << s.user << "|" << s.machine; }

class CScopedSettings : public CMemorySettings {
public:
    CScopedSettings(Held held, bool machineWritable)
    {
        if (held & Machine) Store(SettingScope::Machine, "Modem", "PagePort", "admin");
        if (held & User) Store(SettingScope::User, "Modem", "PagePort", "own");
        SetMachineReadOnly(!machineWritable);
    }
    Scopes Values()
    {
        auto value = [&](SettingScope scope) { return Read(scope, "Modem", "PagePort").value_or("-"); };
        return {value(SettingScope::User), value(SettingScope::Machine)};
    }
};

TEST(MachineScope, ReadTakesTheUsersOwnValueFirstAndMovesOnlyWhatTheMachineLacks)
{
    struct Case {
        Held held;
        bool writable;
        const char* read;
        Scopes after;
    } cases[] = {
        {None, true, "NONE", {"-", "-"}},
        {Machine, false, "admin", {"-", "admin"}},
        {User, true, "own", {"-", "own"}},  // an older installation's value moves over
        {User, false, "own", {"own", "-"}},
        {Both, true, "own", {"own", "admin"}},  // the user's choice: both stay as they are
        {Both, false, "own", {"own", "admin"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "held " << c.held << ", writable " << c.writable);
        CScopedSettings settings(c.held, c.writable);
        EXPECT_EQ(settings.Get(key::PagePort), c.read);
        EXPECT_EQ(settings.Values(), c.after);
        EXPECT_EQ(settings.Get(key::PagePort), c.read);
    }
}

TEST(MachineScope, EveryWriteIsReadBackWhereverItCouldGo)
{
    for (bool writable : {true, false}) {
        for (Held held : {None, User, Machine, Both}) {
            for (const char* value : {"COM2", "admin"}) {
                SCOPED_TRACE(testing::Message() << "held " << held << ", writable " << writable << ", " << value);
                CScopedSettings settings(held, writable);
                EXPECT_TRUE(settings.WriteMachineSetting("Modem", "PagePort", value));
                EXPECT_EQ(settings.Get(key::PagePort), value);
                Scopes expected;
                if (writable) {
                    expected = {"-", value};
                } else if (held & Machine && std::string(value) == "admin") {
                    // The administrator's value needs no copy: a later change of it still counts.
                    expected = {"-", "admin"};
                } else {
                    expected = {value, held & Machine ? "admin" : "-"};
                }
                EXPECT_EQ(settings.Values(), expected);
            }
        }
    }
}

}  // namespace
}  // namespace corvane
