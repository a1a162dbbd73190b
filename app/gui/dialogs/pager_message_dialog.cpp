#include "app/gui/dialogs/pager_message_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/dialogs/message_fields.h"

namespace corvane {

CPagerMessageDialog::CPagerMessageDialog(const PagerMessageSetup& setup, QWidget* parent)
    : QDialog(parent), m_setup(setup)
{
    setWindowTitle(kPagerMessageTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* text = new QLabel(kPagerMessageText, this);
    text->setWordWrap(true);
    text->setObjectName("text");

    m_fields = std::make_unique<CMessageFields>(this, m_setup, [this] { accept(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CPagerMessageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPagerMessageDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(m_fields->Grid());
    layout->addLayout(m_fields->HintRow());
    layout->addWidget(buttons);

    m_fields->SetTexts(m_setup.initial);
    m_fields->FocusFirstBox();
}

CPagerMessageDialog::~CPagerMessageDialog() = default;

PromptedTexts CPagerMessageDialog::Texts() const
{
    return m_fields->Texts();
}

QString CPagerMessageDialog::Hint() const
{
    return m_fields->Hint();
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
