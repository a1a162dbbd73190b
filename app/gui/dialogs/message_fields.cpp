#include "app/gui/dialogs/message_fields.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include "app/core/prepare_send.h"
#include "app/gui/dialogs/qt_text.h"
#include "engine/page_text.h"

namespace corvane {

CMessageFields::CMessageFields(QWidget* owner, const PagerMessageSetup& setup, std::function<void()> onReturn)
    : m_setup(setup), m_onReturn(std::move(onReturn))
{
    auto* alphaLabel = new QLabel("Alphanumeric Message", owner);
    alphaLabel->setObjectName("alphaLabel");
    m_alpha = new QPlainTextEdit(owner);
    m_alpha->setObjectName("alpha");
    m_alpha->setTabChangesFocus(true);
    auto* numericLabel = new QLabel("Numeric Message", owner);
    numericLabel->setObjectName("numericLabel");
    m_numeric = new QLineEdit(owner);
    m_numeric->setObjectName("numeric");
    alphaLabel->setBuddy(m_alpha);
    numericLabel->setBuddy(m_numeric);

    auto* predefinedLabel = new QLabel("Pre-Defined", owner);
    m_predefined = new QComboBox(owner);
    m_predefined->setObjectName("predefined");
    predefinedLabel->setBuddy(m_predefined);
    for (const PredefinedMessage& message : setup.predefined) m_predefined->addItem(ToQt(message.Name));
    m_predefined->setCurrentIndex(-1);
    // Without a box to fill there is nothing to choose a pre-defined message for.
    const bool offered = !setup.predefined.empty() && (setup.needs.alpha || setup.needs.numeric);
    m_predefined->setEnabled(offered);
    predefinedLabel->setEnabled(offered);
    alphaLabel->setEnabled(setup.needs.alpha);
    m_alpha->setEnabled(setup.needs.alpha);
    numericLabel->setEnabled(setup.needs.numeric);
    m_numeric->setEnabled(setup.needs.numeric);

    m_hint = new QLabel(owner);
    m_hint->setObjectName("hint");
    m_hintRow = new QHBoxLayout;
    m_hintRow->addWidget(new QLabel("It will require", owner));
    m_hintRow->addWidget(m_hint);
    m_hintRow->addWidget(new QLabel("alphanumeric message above.", owner));
    m_hintRow->addStretch();

    m_grid = new QGridLayout;
    m_grid->addWidget(predefinedLabel, 0, 0);
    m_grid->addWidget(m_predefined, 0, 1);
    m_grid->addWidget(alphaLabel, 1, 0, Qt::AlignTop);
    m_grid->addWidget(m_alpha, 1, 1);
    m_grid->addWidget(numericLabel, 2, 0);
    m_grid->addWidget(m_numeric, 2, 1);

    UpdateHint();
    QObject::connect(m_alpha, &QPlainTextEdit::textChanged, owner, [this] { OnAlphaChanged(); });
    QObject::connect(m_predefined, &QComboBox::activated, owner, [this](int index) { OnPredefinedChosen(index); });
}

PromptedTexts CMessageFields::Texts() const
{
    return {FromQt(m_alpha->toPlainText()), FromQt(m_numeric->text())};
}

void CMessageFields::SetTexts(const PromptedTexts& texts)
{
    {
        QSignalBlocker block(m_alpha);
        m_alpha->setPlainText(ToQt(texts.alpha));
    }
    m_numeric->setText(ToQt(texts.numeric));
    m_alpha->moveCursor(QTextCursor::End);
    UpdateHint();
}

QString CMessageFields::Hint() const
{
    return m_hint->text();
}

void CMessageFields::FocusFirstBox()
{
    if (m_setup.needs.alpha)
        m_alpha->setFocus();
    else if (m_setup.needs.numeric)
        m_numeric->setFocus();
}

void CMessageFields::OnAlphaChanged()
{
    std::string text = FromQt(m_alpha->toPlainText());
    const bool ok = TakeReturnAsOk(text, m_setup.promptUseReturn);
    if (ok) {
        QSignalBlocker block(m_alpha);
        m_alpha->setPlainText(ToQt(text));
        m_alpha->moveCursor(QTextCursor::End);
    }
    UpdateHint();
    if (ok) m_onReturn();
}

void CMessageFields::OnPredefinedChosen(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_setup.predefined.size()) return;
    const PredefinedMessage& message = m_setup.predefined[static_cast<std::size_t>(index)];
    if (m_setup.needs.alpha) {
        QSignalBlocker block(m_alpha);
        m_alpha->setPlainText(ToQt(message.AlphaText));
    }
    if (m_setup.needs.numeric) m_numeric->setText(ToQt(message.NumericText));
    UpdateHint();
}

void CMessageFields::UpdateHint()
{
    const std::size_t length = FromQt(m_alpha->toPlainText()).size();
    m_hint->setText(ToQt(PageCountHint(m_setup.suffixLength, length, m_setup.signatureLength,
                                       m_setup.needs.minAlphaLength)));
}

}  // namespace corvane
