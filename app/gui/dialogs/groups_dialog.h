#pragma once
// "Configure Groups": the group names with Add, Rename, Delete and Edit, and OK. It works
// on the pager list it is given (the caller saves it and reloads the main list when it
// closes); what each command does and says is CGroupEditor's. The small "Add Group" and
// "Rename Group" dialogs ask for a name, "Edit Group" for the members.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

#include "directory/group_editor.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

class IMessageBox;

// "Add Group" or "Rename Group": one name, starting as shown (the old name for Rename,
// kept byte for byte unless the user types). A name the pager file cannot hold is
// refused with its reason and the dialog stays open.
class CGroupNameDialog final : public QDialog {
    Q_OBJECT
public:
    CGroupNameDialog(const char* title, const std::string& shown, IMessageBox& messageBox, QWidget* parent = nullptr);
    std::string Name() const;

public slots:
    void accept() override;

private:
    const char* m_title;
    std::string m_shown;
    IMessageBox& m_messageBox;
    QLineEdit* m_name = nullptr;
};

// "Edit Group": every pager of the list by name, the members highlighted.
class CEditGroupDialog final : public QDialog {
    Q_OBJECT
public:
    CEditGroupDialog(const CPagerList& pagers, const std::vector<bool>& members, QWidget* parent = nullptr);
    std::vector<bool> Highlighted() const;

private:
    QListWidget* m_pagers = nullptr;
};

class CGroupsDialog final : public QDialog {
    Q_OBJECT
public:
    CGroupsDialog(CPagerList& pagers, IMessageBox& messageBox, QWidget* parent = nullptr);

private:
    void Refill(const std::optional<std::string>& select = std::nullopt);
    std::optional<std::string> Selected() const;
    void Tell(const GroupNotice& notice);
    void EditGroup(const std::string& name, bool throughAdd);
    void OnAdd();
    void OnRename();
    void OnDelete();
    void OnEdit();
    void UpdateButtons();

    CPagerList& m_pagers;
    IMessageBox& m_messageBox;
    CGroupEditor m_editor;
    QListWidget* m_list = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_edit = nullptr;
};

}  // namespace corvane
