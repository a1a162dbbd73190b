// PDM.DAT and MESSAGES.DAT on disk: texts of any length the length word allows.

#include <gtest/gtest.h>

#include "directory/message_texts.h"
#include "directory/predefined_messages.h"
#include "tests/directory/directory_helpers.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::S;
using test::W;

// What another copy of the program writes: a 1,500-byte text among others.
const std::string kLong = [] {
    std::string text;
    while (text.size() < 1500) text += "Line " + std::to_string(text.size()) + " of the night desk.\r\n";
    return text.substr(0, 1500);
}();

TEST(MessageFiles, TextsLongerThanAPagerFieldAreReadWholeAndWrittenBackUnchanged)
{
    test::CTempDir dir;
    const std::string pdm = W(1) + S("Outage") + S(kLong) + S("911") + W(1) + S("Lunch") + S("Gone") + S("100");
    dir.Write("PDM.DAT", pdm);
    CPredefinedMessageList list;
    list.Load(dir.File("PDM.DAT"));
    ASSERT_EQ(list.messages().size(), 2u);
    EXPECT_EQ(list.messages()[0], (PredefinedMessage{"Outage", kLong, "911"}));
    EXPECT_EQ(list.messages()[1].Name, "Lunch");
    ASSERT_TRUE(list.Save(dir.File("PDM.DAT")));
    EXPECT_EQ(dir.Read("PDM.DAT"), pdm);

    const std::string messages = S("Please call") + S("555") + S(kLong) + S("Reminder: ") + S("-- desk");
    dir.Write("MESSAGES.DAT", messages);
    MessageTexts texts = LoadMessages(dir.File("MESSAGES.DAT"));
    EXPECT_EQ(texts, (MessageTexts{"Please call", "555", kLong, "Reminder: ", "-- desk"}));
    ASSERT_TRUE(SaveMessages(dir.File("MESSAGES.DAT"), texts));
    EXPECT_EQ(dir.Read("MESSAGES.DAT"), messages);
}

TEST(MessageFiles, TheLongestTextTheLengthWordHoldsAndLengthsThatAreDamage)
{
    const std::string longest(32766, 'x');
    MessageTexts texts{longest, longest + "cut", "", "", "sig"};
    MessageTexts back = ParseMessages(SerializeMessages(texts));
    EXPECT_EQ(back.defaultAlpha, longest);
    EXPECT_EQ(back.defaultNumeric, longest);  // a longer text is cut to what the word holds
    EXPECT_EQ(back.signature, "sig");

    // A length word of 0 or with the top bit set is damage: the reading stops there.
    for (int word : {0, -1, 0x8000}) {
        SCOPED_TRACE(word);
        MessageTexts damaged = ParseMessages(S("a") + S("b") + W(word) + S("c") + S("d"));
        EXPECT_EQ(damaged, (MessageTexts{"a", "b", "", "", ""}));
        CPredefinedMessageList list;
        list.Parse(W(1) + S("One") + S("a") + S("1") + W(1) + S("Two") + W(word) + S("x") + S("2"));
        ASSERT_EQ(list.messages().size(), 1u);
        EXPECT_EQ(list.messages()[0].Name, "One");
    }
}

}  // namespace
}  // namespace corvane
