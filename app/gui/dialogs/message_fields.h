#pragma once
// The message boxes that the Pager Message and the Schedule Page dialogs share: the
// Pre-Defined list, the alphanumeric and the numeric box (each enabled only when a
// chosen pager takes it), and the page-count hint under them. A Return typed into the
// alphanumeric box means OK when "PromptUseReturn" says so.

#include <QString>

#include <functional>

#include "app/gui/dialogs/pager_message_dialog.h"

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace corvane {

class CMessageFields {
public:
    // The widgets are made as children of owner; onReturn is the dialog's OK.
    CMessageFields(QWidget* owner, const PagerMessageSetup& setup, std::function<void()> onReturn);

    // The Pre-Defined, alphanumeric and numeric rows, and the hint's row: for the dialog
    // to place.
    QGridLayout* Grid() const { return m_grid; }
    QHBoxLayout* HintRow() const { return m_hintRow; }

    PromptedTexts Texts() const;
    void SetTexts(const PromptedTexts& texts);
    QString Hint() const;
    // The first box that takes a message gets the focus.
    void FocusFirstBox();

private:
    void OnAlphaChanged();
    void OnPredefinedChosen(int index);
    void UpdateHint();

    const PagerMessageSetup& m_setup;
    std::function<void()> m_onReturn;
    QPlainTextEdit* m_alpha = nullptr;
    QLineEdit* m_numeric = nullptr;
    QComboBox* m_predefined = nullptr;
    QLabel* m_hint = nullptr;
    QGridLayout* m_grid = nullptr;
    QHBoxLayout* m_hintRow = nullptr;
};

}  // namespace corvane
