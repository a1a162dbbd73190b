// Configure > Mail Filters: a new filter with every field of the editor, moved up, saved
// to FILTERS.DAT and taken up by the program; edited, deleted and cancelled.

#include <QCheckBox>
#include <QSpinBox>

#include "mail/filter_file.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class MailFiltersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    std::vector<CMailFilter> Stored() { return ReadFilters(f->dir.Read(kFiltersFile)).filters; }
    // Every field, for a comparison that shows them.
    static QString Fields(const CMailFilter& m)
    {
        QStringList conditions;
        for (std::size_t i = 0; i < 3; ++i)
            conditions << Join(m.fields[i], m.comparisons[i], m.keywords[i]);
        return conditions.join(';') + " / " +
               Join(m.includeFrom, m.includeSubject, m.includeBody, m.code, m.maximumPages, m.weekendsOff, m.weekdaysOff,
                    m.windowStart, m.windowEnd);
    }
    // A spin box typed over, as a user selects its text and types.
    static void TypeNumber(QWidget* dialog, const char* name, int value)
    {
        auto* box = Child<QSpinBox>(dialog, name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QString::number(value));
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        CMailFilter old;
        old.fields[0] = kFieldSubject;
        old.comparisons[0] = kCompareContains;
        old.keywords[0] = "old";
        old.code = "1";
        f->dir.Write(kFiltersFile, WriteFilters({old}));
        f->Create();
    }
    void cleanup() { f.reset(); }

    void aNewFilterMovedUpIsSavedAndTakenUp()
    {
        QCOMPARE(f->state->MailFilters().size(), std::size_t(1));
        OnNextModal([](QWidget* list) {
            QCOMPARE(Missing(list, {"Mail Filters", "&New...", "&Edit...", "&Delete", "&Up", "Do&wn"}), QString());
            QCOMPARE(Items(list, "list"), QStringList{"Code 1: Subject contains old"});
            QCOMPARE(EnabledOf(list, {"edit", "delete", "up", "down"}), QString("edit,delete"));
            OnNextModal([](QWidget* editor) {
                QCOMPARE(Missing(editor, {"Mail Filter", "Send to Alpha", "From Address", "Subject", "Message Body",
                                          "Maximum pages", "Send to Numeric", "Code", "Delivery Times", "Weekends",
                                          "Weekdays", "Between", "and"}),
                         QString());
                QCOMPARE(Items(editor, "field1"), (QStringList{"<empty>", "From", "Subject", "Body", "To"}));
                QCOMPARE(Join(Text(editor, "field1"), Text(editor, "comparison1"), Text(editor, "maximumPages"),
                              Text(editor, "startHour"), Text(editor, "startHalf"), Text(editor, "endHour"),
                              Text(editor, "endMinute"), Text(editor, "endHalf")),
                         QString("<empty>||1|12|a|11|59|p"));
                QVERIFY(Checked(editor, "weekends") && Checked(editor, "weekdays"));
                Choose(editor, "field1", "Subject");
                QCOMPARE(Text(editor, "comparison1"), QString("Contains"));
                Type(editor, "keyword1", "URGENT");
                Choose(editor, "field3", "From");
                Choose(editor, "comparison3", "Does Not Contain");
                Type(editor, "keyword3", "boss");
                Click(editor, "includeFrom");
                Click(editor, "includeBody");
                Type(editor, "maximumPages", "3");
                Type(editor, "code", "911");
                Click(editor, "weekends");
                TypeNumber(editor, "startHour", 8);
                TypeNumber(editor, "startMinute", 30);
                TypeNumber(editor, "endHour", 6);
                Choose(editor, "endHalf", "p");
                TypeNumber(editor, "endMinute", 0);
                ClickOk(editor);
            });
            Click(list, "new");
            QCOMPARE(Items(list, "list"), (QStringList{"Code 1: Subject contains old",
                                                       "Code 911: Subject contains URGENT and From does not contain boss"}));
            QCOMPARE(EnabledOf(list, {"up", "down"}), QString("up"));
            Click(list, "up");
            QCOMPARE(Items(list, "list").first(), QString("Code 911: Subject contains URGENT and From does not contain boss"));
            ClickOk(list);
        });
        QVERIFY(f->commands->ConfigureMailFilters());

        CMailFilter expected;
        expected.fields = {kFieldSubject, kFieldUnused, kFieldFrom};
        expected.comparisons = {kCompareContains, kCompareUnused, kCompareNotContains};
        expected.keywords = {"URGENT", "", "boss"};
        expected.includeFrom = expected.includeBody = 1;
        expected.code = "911";
        expected.maximumPages = 3;
        expected.weekendsOff = -1;
        expected.windowStart = 8 * 60 + 30;
        expected.windowEnd = 18 * 60;
        const std::vector<CMailFilter> stored = Stored();
        QCOMPARE(stored.size(), std::size_t(2));
        QCOMPARE(Fields(stored[0]), Fields(expected));
        QCOMPARE(stored[1].code, std::string("1"));
        QVERIFY(f->state->MailFilters().Filters() == stored);
    }

    void editingShowsTheFieldsAndCancelKeepsTheFile()
    {
        CMailFilter night;
        night.weekdaysOff = -1;
        night.windowStart = 22 * 60;
        night.windowEnd = 0;
        night.includeSubject = 1;
        night.maximumPages = 4;
        f->dir.Write(kFiltersFile, WriteFilters({night}));
        const std::string before = f->dir.Read(kFiltersFile);
        OnNextModal([](QWidget* list) {
            QCOMPARE(Items(list, "list"), QStringList{"<blank>"});
            OnNextModal([](QWidget* editor) {
                QCOMPARE(Join(Text(editor, "maximumPages"), Text(editor, "startHour"), Text(editor, "startMinute"),
                              Text(editor, "startHalf"), Text(editor, "endHour"), Text(editor, "endHalf")),
                         QString("4|10|0|p|12|a"));
                QVERIFY(Checked(editor, "weekends") && !Checked(editor, "weekdays"));
                QVERIFY(Checked(editor, "includeSubject") && !Checked(editor, "includeFrom"));
                Type(editor, "code", "changed");
                ClickCancel(editor);
            });
            Click(list, "edit");
            QCOMPARE(Items(list, "list"), QStringList{"<blank>"});
            Click(list, "delete");
            QVERIFY(Items(list, "list").isEmpty());
            QCOMPARE(EnabledOf(list, {"edit", "delete", "up", "down"}), QString());
            ClickCancel(list);
        });
        QVERIFY(!f->commands->ConfigureMailFilters());
        QCOMPARE(f->dir.Read(kFiltersFile), before);
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::MailFiltersTest)
#include "mail_filters_test.moc"
