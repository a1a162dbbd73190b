#pragma once
// The layout the Pager and Service Configuration dialogs share: the list on the left,
// its command buttons on the right, OK and Cancel underneath.

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace corvane {

inline QPushButton* NamedButton(QWidget* parent, const char* text, const char* name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

inline void LayOutListDialog(QDialog* dialog, QListWidget* list, std::initializer_list<QPushButton*> commands)
{
    auto* side = new QVBoxLayout;
    for (QPushButton* button : commands) side->addWidget(button);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(list);
    top->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("buttons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace corvane
