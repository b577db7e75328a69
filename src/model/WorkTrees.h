// Work trees: the trees the wizard derives from the description's marks (what to install or
// add, what to remove) and the lists the installation thread collects from them. In a work
// tree an unmarked node is one still to be processed; a marked node only carries the nodes
// below it, or has been dealt with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/SysTree.h"

namespace kor {

class TTreeViewItems;

// --- Copying and shaping ---

// Empties the target, then copies the marked, non-ViewOnly nodes of the source with their
// structure (an unmarked or ViewOnly node is left out with everything below it).
void CopyMarked(TCustomSysNode& target, const TCustomSysNode& source);
// Copies all descendants of the source below the target, structure and order kept.
void CopyChildrenTo(const TCustomSysNode& source, TCustomSysNode& target);
// Copies every topmost unmarked subtree of the source to the top level of the target; the
// subtree's root keeps its (cleared) mark, the copies below it are marked.
void CopyUnmarked(const TSysTree& source, TSysTree& target);
// Copies the chain of the node's ancestors (without their other children) and the node with
// all its descendants into the target; returns the node's copy.
TSysNode* CopyWithAncestors(const TSysNode& node, TSysTree& target);
// Adds the source's nodes to the target, matching by numbers along the path; an unmarked
// source node unmarks its match. Nothing happens without a target.
void MergeInto(const TSysTree& source, TSysTree* target);
// Unmarks the nodes of the tree that the other tree does not hold at the same place, then
// recomputes FullyMarked; false without the other tree.
bool MarkCommon(TSysTree& tree, const TSysTree* other);
// FullyMarked := the node and all its descendants are marked.
void UpdateFullyMarked(TCustomSysNode& holder);
// Deletes every FullyMarked subtree.
void PruneFullyMarked(TCustomSysNode& holder);
// Deletes the unmarked children; with everyLevel, also below the remaining ones.
void RemoveUnmarked(TCustomSysNode& holder, bool everyLevel);
// Drops from Depend and Dependents the numbers of subsystems the tree does not hold;
// raises EConvertError for a non-integer item.
void PruneDependencies(TSysTree& tree);
// SavedMark := Marked on every descendant.
void SaveMarks(TCustomSysNode& holder);

// --- Collecting (depth-first, a node before its children) ---

void ListUnmarkedNames(const TSysTree& tree, std::vector<std::string>& names);
enum TLinkKind : int { lkMenu = 0, lkDesktop = 1 };
// The shortcut items of every unmarked node, without their "?menu" or "?desktop" ending.
void CollectLinks(const TSysTree& tree, std::vector<std::string>& links, int kind);
// The non-empty, trimmed items of CheckFile (ReqFile) of every unmarked node.
void CollectCheckFiles(const TSysTree& tree, std::vector<std::string>& files);
void CollectReqFiles(const TSysTree& tree, std::vector<std::string>& files);
// Extends a comma-separated number list with the Dependents of the nodes not in it yet, in
// the order first met: of every node of a tree (starting from an empty list), or of a node
// and everything below it.
void CollectDependents(const TSysTree& tree, std::string& list);
void CollectDependents(const TSysNode& node, std::string& list);
// The k-th item (from 1) of a comma-separated list as an integer; -1 when there are fewer
// items or the item is empty or not an integer.
std::int32_t ListItem(std::string_view list, int k);

// --- The wizard's recipes ---

// New installation (full, or custom after the user's choice): the install tree is the marked
// part of the description with its dependencies pruned and every node to be installed; the
// remove tree is empty.
void BuildInstallTrees(const TSysTree& description, TSysTree& install, TSysTree& remove);
// Shows the loaded description and reduces its marks to the installed set (removal and
// adding/deleting); the result of FillTreeView.
bool ShowInstalledSet(TSysTree& description, TTreeViewItems& view, const std::vector<std::string>& installedNames);
// Removal of the whole installed system: every installed subsystem is to be removed.
void BuildUninstallTree(const TSysTree& description, TSysTree& remove);
// Adding and deleting, before the user's changes: the remove tree and the backup both hold
// the installed set.
void KeepInstalledSet(const TSysTree& description, TSysTree& remove, TSysTree& backup);
// Adding and deleting, after the user's changes: unmarked in the install tree what is to be
// added, unmarked in the remove tree what is to be removed, marked the nodes above them.
void BuildAddRemoveTrees(const TSysTree& description, TSysTree& install, TSysTree& remove);
// Adding and deleting, stepping back from the summary: the remove tree holds the installed
// set again.
void RestoreInstalledSet(const TSysTree& backup, TSysTree& remove);
// The summary: the names of the subsystems to install or add, and of those to delete.
struct TSummaryNames {
    std::vector<std::string> ToInstall;
    std::vector<std::string> ToRemove;
};
TSummaryNames SummaryNames(const TSysTree& install, const TSysTree& remove);

}  // namespace kor
