// Small descriptions and tree pictures shared by the model tests.
#include "ModelFixtures.h"

#include <stdexcept>

namespace kor::test {

std::string IdfText(const std::vector<std::string>& lines) {
    std::string text = "IDF-CPS-text\r\n\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string DescriptionText(const std::vector<TSub>& subs, const std::vector<std::string>& extraLines) {
    std::vector<std::string> lines{"[SubSystems]"};
    for (const TSub& sub : subs) lines.push_back(sub.Name + "=" + sub.Number);
    for (const TSub& sub : subs) {
        lines.push_back("[" + sub.Name + "]");
        bool named = false;
        for (const std::string& key : sub.Keys) named = named || key.starts_with("Short name=");
        if (!named) lines.push_back("Short name=" + sub.Name);
        lines.insert(lines.end(), sub.Keys.begin(), sub.Keys.end());
    }
    lines.insert(lines.end(), extraLines.begin(), extraLines.end());
    return IdfText(lines);
}

TSysNode& TLoaded::Node(const std::string& shortName) const {
    for (TSysNode* node : Tree.AllNodes())
        if (node->Info.ShortName == shortName) return *node;
    throw std::logic_error("no node " + shortName);
}

std::unique_ptr<TLoaded> Load(const std::string& text) {
    auto loaded = std::make_unique<TLoaded>();
    if (!loaded->Description.LoadFromBytes(text)) throw std::logic_error("fixture is not a description");
    loaded->Result = loaded->Tree.LoadFromIDF(&loaded->Description);
    return loaded;
}

std::string Shape(const TCustomSysNode& holder, bool marks) {
    std::string result;
    for (int i = 0; i < holder.ChildCount(); ++i) {
        const TSysNode& child = *holder.GetChild(i);
        if (i > 0) result += holder.AsNode() ? "," : " ";
        if (marks && !child.Info.Marked) result += "-";
        result += child.Info.ShortName;
        if (child.ChildCount() > 0) result += "(" + Shape(child, marks) + ")";
    }
    return result;
}

namespace {
template <typename Pred>
std::string NamesWhere(const TSysTree& tree, Pred pred) {
    std::string result;
    for (const TSysNode* node : tree.AllNodes()) {
        if (!pred(node->Info)) continue;
        if (!result.empty()) result += " ";
        result += node->Info.ShortName;
    }
    return result;
}
}  // namespace

std::string MarkedNames(const TSysTree& tree) {
    return NamesWhere(tree, [](const TSubsystemInfo& i) { return i.Marked; });
}
std::string FullyMarkedNames(const TSysTree& tree) {
    return NamesWhere(tree, [](const TSubsystemInfo& i) { return i.FullyMarked; });
}
std::string AllNodeNames(const TSysTree& tree) {
    return NamesWhere(tree, [](const TSubsystemInfo&) { return true; });
}

}  // namespace kor::test
