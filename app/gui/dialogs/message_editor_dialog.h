#pragma once
// "Edit Pre-Defined Messages" and "Edit Dashnote Messages": the drop-down of names with
// New and Delete, the selected entry's name and two texts, and for a Dashnote the pagers
// that receive it. What the buttons do is CMessageEditor's; this dialog shows the
// current entry and gives back only what the user changed, so a name or text in bytes
// that are not UTF-8 is kept as it is unless the user types over it.

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace corvane {

class CMessageEditor;

// A pager the Dashnote editor offers, in the main list's order.
struct PagerChoice {
    std::int16_t code = 0;
    std::string name;
};

class CMessageEditorDialog final : public QDialog {
    Q_OBJECT
public:
    // pagers: offered as recipients (Dashnote only).
    CMessageEditorDialog(CMessageEditor& editor, std::vector<PagerChoice> pagers, QWidget* parent = nullptr);

public slots:
    void accept() override;
    void reject() override;

private:
    void FillNames();
    void ShowCurrent();
    void StoreCurrent();
    void OnChosen(int index);
    void OnNameEdited(const QString& text);
    void OnNew();
    void OnDelete();

    CMessageEditor& m_editor;
    std::vector<PagerChoice> m_pagers;
    QComboBox* m_names = nullptr;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_alpha = nullptr;
    QLineEdit* m_numeric = nullptr;
    QListWidget* m_recipients = nullptr;
    bool m_showing = false;
    bool m_recipientsTouched = false;
};

}  // namespace corvane
