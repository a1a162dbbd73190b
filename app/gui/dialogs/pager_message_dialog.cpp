#include "app/gui/dialogs/pager_message_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/core/prepare_send.h"
#include "app/gui/dialogs/qt_text.h"
#include "engine/page_text.h"

namespace corvane {

CPagerMessageDialog::CPagerMessageDialog(const PagerMessageSetup& setup, QWidget* parent)
    : QDialog(parent), m_setup(setup)
{
    setWindowTitle(kPagerMessageTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* text = new QLabel(kPagerMessageText, this);
    text->setWordWrap(true);
    text->setObjectName("text");

    auto* alphaLabel = new QLabel("Alphanumeric Message", this);
    alphaLabel->setObjectName("alphaLabel");
    m_alpha = new QPlainTextEdit(this);
    m_alpha->setObjectName("alpha");
    m_alpha->setTabChangesFocus(true);
    auto* numericLabel = new QLabel("Numeric Message", this);
    numericLabel->setObjectName("numericLabel");
    m_numeric = new QLineEdit(this);
    m_numeric->setObjectName("numeric");
    alphaLabel->setBuddy(m_alpha);
    numericLabel->setBuddy(m_numeric);

    auto* predefinedLabel = new QLabel("Pre-Defined", this);
    m_predefined = new QComboBox(this);
    m_predefined->setObjectName("predefined");
    predefinedLabel->setBuddy(m_predefined);
    for (const PredefinedMessage& message : m_setup.predefined) m_predefined->addItem(ToQt(message.Name));
    m_predefined->setCurrentIndex(-1);
    bool offered = !m_setup.predefined.empty() && (m_setup.needs.alpha || m_setup.needs.numeric);
    m_predefined->setEnabled(offered);
    predefinedLabel->setEnabled(offered);

    auto* before = new QLabel("It will require", this);
    m_hint = new QLabel(this);
    m_hint->setObjectName("hint");
    auto* after = new QLabel("alphanumeric message above.", this);
    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(before);
    hintRow->addWidget(m_hint);
    hintRow->addWidget(after);
    hintRow->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CPagerMessageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPagerMessageDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(predefinedLabel, 0, 0);
    grid->addWidget(m_predefined, 0, 1);
    grid->addWidget(alphaLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(m_alpha, 1, 1);
    grid->addWidget(numericLabel, 2, 0);
    grid->addWidget(m_numeric, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(grid);
    layout->addLayout(hintRow);
    layout->addWidget(buttons);

    alphaLabel->setEnabled(m_setup.needs.alpha);
    m_alpha->setEnabled(m_setup.needs.alpha);
    numericLabel->setEnabled(m_setup.needs.numeric);
    m_numeric->setEnabled(m_setup.needs.numeric);
    m_alpha->setPlainText(ToQt(m_setup.initial.alpha));
    m_numeric->setText(ToQt(m_setup.initial.numeric));
    m_alpha->moveCursor(QTextCursor::End);
    UpdateHint();

    connect(m_alpha, &QPlainTextEdit::textChanged, this, &CPagerMessageDialog::OnAlphaChanged);
    connect(m_predefined, &QComboBox::activated, this, &CPagerMessageDialog::OnPredefinedChosen);
    if (m_setup.needs.alpha)
        m_alpha->setFocus();
    else if (m_setup.needs.numeric)
        m_numeric->setFocus();
}

PromptedTexts CPagerMessageDialog::Texts() const
{
    return {FromQt(m_alpha->toPlainText()), FromQt(m_numeric->text())};
}

QString CPagerMessageDialog::Hint() const
{
    return m_hint->text();
}

void CPagerMessageDialog::OnAlphaChanged()
{
    std::string text = FromQt(m_alpha->toPlainText());
    if (TakeReturnAsOk(text, m_setup.promptUseReturn)) {
        {
            QSignalBlocker block(m_alpha);
            m_alpha->setPlainText(ToQt(text));
        }
        UpdateHint();
        accept();
        return;
    }
    UpdateHint();
}

void CPagerMessageDialog::OnPredefinedChosen(int index)
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

void CPagerMessageDialog::UpdateHint()
{
    std::size_t length = FromQt(m_alpha->toPlainText()).size();
    m_hint->setText(ToQt(PageCountHint(m_setup.suffixLength, length, m_setup.signatureLength,
                                       m_setup.needs.minAlphaLength)));
}

void CPagerMessageDialog::accept()
{
    if (m_done) return;
    m_done = true;
    PromptedTexts texts = Texts();
    QDialog::accept();
    emit confirmed(texts);
}

void CPagerMessageDialog::reject()
{
    if (m_done) return;
    m_done = true;
    QDialog::reject();
    emit cancelled();
}

}  // namespace corvane
