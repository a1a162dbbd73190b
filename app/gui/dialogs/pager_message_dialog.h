#pragma once
// The Pager Message dialog: asks for the text of the pagers that prompt, with the
// pre-defined messages to choose from and the page-count hint. Not modal: the form's
// send buttons stay disabled while it is open, so there is only ever one.

#include <QDialog>

#include <memory>

#include "directory/predefined_messages.h"
#include "engine/manual_send.h"

namespace corvane {

class CMessageFields;

inline constexpr const char* kPagerMessageTitle = "Pager Message";
inline constexpr const char* kPagerMessageText =
    "One or more of the pagers you selected is configured to prompt for a message to send.  Type in a message, or "
    "if you have pre-defined messages, select one from the Pre-Defined list.";

struct PagerMessageSetup {
    PromptNeeds needs;
    PromptedTexts initial;             // empty for Page, the last texts for Resubmit
    std::vector<PredefinedMessage> predefined;
    std::size_t suffixLength = 0;      // the time and date the last page will carry
    std::size_t signatureLength = 0;
    bool promptUseReturn = true;       // "PromptUseReturn"
};

class CPagerMessageDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CPagerMessageDialog(const PagerMessageSetup& setup, QWidget* parent = nullptr);
    ~CPagerMessageDialog() override;

    PromptedTexts Texts() const;
    QString Hint() const;

signals:
    // OK, with the boxes' texts; or Cancel. The dialog closes itself either way.
    void confirmed(const PromptedTexts& texts);
    void cancelled();

public slots:
    void accept() override;
    void reject() override;

private:
    PagerMessageSetup m_setup;
    std::unique_ptr<CMessageFields> m_fields;
    bool m_done = false;
};

}  // namespace corvane
