#include "directory/group_editor.h"

#include <algorithm>

namespace corvane {

std::string DeleteGroupQuestion(const std::string& name)
{
    return "Are you sure you want to delete the \"" + name + "\" group?";
}

CGroupEditor::CGroupEditor(CPagerList& pagers) : m_pagers(pagers)
{
    m_pagers.RebuildGroupNames();
    for (const std::string& name : m_pagers.GroupNames())
        if (!name.empty()) m_names.push_back(name);
}

GroupNotice CGroupEditor::RefuseName(const std::string& name, const char* caption)
{
    if (name.size() <= kMaxGroupNameBytes) return {};
    return {kGroupNameTooLongText, caption};
}

void CGroupEditor::AddShown(const std::string& name)
{
    if (std::find(m_names.begin(), m_names.end(), name) == m_names.end()) m_names.push_back(name);
}

void CGroupEditor::DropShown(const std::string& name)
{
    std::erase(m_names, name);
}

bool CGroupEditor::Add(const std::string& name)
{
    if (name.empty() || RefuseName(name, kAddGroupCaption).Shown()) return false;
    AddShown(name);
    return true;
}

GroupNotice CGroupEditor::Rename(const std::string& oldName, const std::string& newName)
{
    if (newName.empty() || newName == oldName || RefuseName(newName, kRenameGroupCaption).Shown()) return {};
    bool sharedKept = false;
    for (const auto& pager : m_pagers.records()) {
        std::vector<std::string>& groups = pager->Groups;
        auto old = std::find(groups.begin(), groups.end(), oldName);
        if (old == groups.end()) continue;
        if (pager->Code <= 0) {
            sharedKept = true;
            continue;
        }
        // A pager in both groups stays in the new one once, not twice.
        if (std::find(groups.begin(), groups.end(), newName) != groups.end())
            std::erase(groups, oldName);
        else
            std::replace(groups.begin(), groups.end(), oldName, newName);
    }
    m_pagers.RebuildGroupNames();
    if (sharedKept) {
        AddShown(newName);
        return {kRenameSharedText, kRenameGroupCaption};
    }
    // The new name takes the old one's place in the list.
    auto shown = std::find(m_names.begin(), m_names.end(), oldName);
    bool newShown = std::find(m_names.begin(), m_names.end(), newName) != m_names.end();
    if (shown != m_names.end() && !newShown)
        *shown = newName;
    else {
        DropShown(oldName);
        AddShown(newName);
    }
    return {};
}

GroupNotice CGroupEditor::Delete(const std::string& name)
{
    bool sharedKept = false;
    for (const auto& pager : m_pagers.records()) {
        if (!pager->HasGroup(name)) continue;
        if (pager->Code <= 0)
            sharedKept = true;
        else
            std::erase(pager->Groups, name);
    }
    m_pagers.RebuildGroupNames();
    if (sharedKept) return {kDeleteSharedText, kDeleteGroupCaption};
    DropShown(name);
    return {};
}

std::vector<bool> CGroupEditor::Members(const std::string& name) const
{
    std::vector<bool> members;
    for (const auto& pager : m_pagers.records()) members.push_back(pager->HasGroup(name));
    return members;
}

GroupNotice CGroupEditor::EditMembers(const std::string& name, const std::vector<bool>& highlighted, bool throughAdd)
{
    bool refused = false;
    for (std::size_t i = 0; i < m_pagers.size() && i < highlighted.size(); ++i) {
        PagerRecord& pager = m_pagers.at(i);
        bool member = pager.HasGroup(name);
        if (highlighted[i] == member) continue;
        if (pager.Code <= 0) {
            refused = true;
            continue;
        }
        if (highlighted[i])
            pager.Groups.push_back(name);
        else
            std::erase(pager.Groups, name);
    }
    m_pagers.RebuildGroupNames();
    if (!refused) return {};
    return {kEditSharedText, throughAdd ? kAddGroupCaption : kEditGroupTitle};
}

void TakeLocalGroups(const CPagerList& edited, CPagerList& list)
{
    for (const auto& pager : edited.records()) {
        if (pager->Code <= 0) continue;
        if (PagerRecord* listed = list.FindByCode(pager->Code); listed && listed->Code > 0)
            listed->Groups = pager->Groups;
    }
    list.RebuildGroupNames();
}

}  // namespace corvane
