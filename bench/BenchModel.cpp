// Benchmark of the subsystem model on a generated description of 5,000 subsystems in several
// levels, with dependencies and view groups: load, MarkAll, filling a view, single clicks and
// the add/remove recipe. Prints one line per figure.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/InstIDF.h"
#include "model/InstList.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

// 100 top-level subsystems with 5 children each and about 9 grandchildren per child, plus 50
// view groups; the view mirrors the tree except for leaves gathered in the groups and a few
// hidden ones. Each subsystem depends on up to two earlier ones. Entries are shuffled.
std::string Generate(int count, std::mt19937& random) {
    struct TGenSub {
        int Number, Parent, ViewParent;
        bool Group;
        std::string Depend;
    };
    const int groups = 50, tops = 100, children = 500;
    std::vector<TGenSub> subs;
    for (int g = 0; g < groups; ++g) subs.push_back({100000 + g, 0, 0, true, ""});
    for (int n = 1; n <= count - groups; ++n) {
        TGenSub sub{n, 0, 0, false, ""};
        if (n > tops) sub.Parent = n <= tops + children ? 1 + (n - tops - 1) / 5 : tops + 1 + (n - tops - children - 1) % children;
        sub.ViewParent = sub.Parent;
        if (n > tops + children) {
            const int roll = static_cast<int>(random() % 100);
            if (roll < 20) sub.ViewParent = 100000 + static_cast<int>(random() % groups);
            else if (roll < 21) sub.ViewParent = -1;
        }
        if (n > 10) {
            sub.Depend = std::to_string(1 + random() % (n - 1));
            if (random() % 3 == 0) sub.Depend += "," + std::to_string(1 + random() % (n - 1));
        }
        subs.push_back(sub);
    }
    std::shuffle(subs.begin(), subs.end(), random);
    std::string text = "IDF-CPS-text\r\n\r\n[SubSystems]\r\n";
    for (const TGenSub& s : subs) text += "Sub" + std::to_string(s.Number) + "=" + std::to_string(s.Number) + "\r\n";
    for (const TGenSub& s : subs) {
        const std::string name = "Sub" + std::to_string(s.Number);
        text += "[" + name + "]\r\nShort name=Name " + std::to_string(s.Number) + "\r\nFull name=Subsystem " + name +
                "\r\nParent=" + std::to_string(s.Parent) + "\r\nViewParent=" + std::to_string(s.ViewParent) + "\r\n";
        if (s.Group) {
            text += "ViewOnly=true\r\n";
            continue;
        }
        text += "Depend=" + s.Depend + "\r\nArchive=a" + std::to_string(s.Number % 300) + ".zip\r\nLibrary=" +
                (s.Parent == 0 ? "lib" + std::to_string(s.Number) + ".dll" : "") + "\r\nMenuLink1=bin\\" + name +
                ".exe|" + name + "\r\nCheckFile1=" + name + ".dll\r\n";
    }
    return text;
}

kor::TSysNode* RandomNode(const std::vector<kor::TSysNode*>& nodes, std::mt19937& random) {
    return nodes[random() % nodes.size()];
}

}  // namespace

int main() {
    using namespace kor;
    std::mt19937 random(20240601);
    const std::string generated = Generate(5000, random);

    auto start = Clock::now();
    TIDFTextFile description;
    if (!description.LoadFromBytes(generated)) return 1;
    const double parseMs = Ms(start);

    start = Clock::now();
    TSysTree tree;
    if (!tree.LoadFromIDF(&description)) return 1;
    const double loadMs = Ms(start);

    start = Clock::now();
    MarkAll(tree);
    const double markAllMs = Ms(start);

    start = Clock::now();
    TRecordingTreeView view;
    FillTreeView(tree, view);
    const double fillMs = Ms(start);

    const std::vector<TSysNode*> nodes(tree.AllNodes().begin(), tree.AllNodes().end());
    const int clicks = 100;
    start = Clock::now();
    for (int i = 0; i < clicks; ++i) {
        TSysNode* node = RandomNode(nodes, random);
        node->Info.Marked ? Unmark(*node) : Mark(*node);
    }
    const double clickMs = Ms(start) / clicks;

    // Add/remove: the installed set is what the clicks left marked; the user unticks five
    // installed subsystems and ticks five others, then the trees of what to add and what to
    // remove are built, and stepped back from.
    std::vector<std::string> installed;
    for (const TSysNode* node : tree.AllNodes())
        if (node->Info.Marked) installed.push_back(node->Info.ShortName);
    start = Clock::now();
    view.Clear();
    ShowInstalledSet(tree, view, installed);
    TSysTree install, remove, backup;
    KeepInstalledSet(tree, remove, backup);
    for (int unticks = 0, ticks = 0; unticks < 5 || ticks < 5;) {
        TSysNode* node = RandomNode(nodes, random);
        if (node->Info.Marked && unticks < 5) {
            Unmark(*node);
            ++unticks;
        } else if (!node->Info.Marked && ticks < 5) {
            Mark(*node);
            ++ticks;
        }
    }
    BuildAddRemoveTrees(tree, install, remove);
    TSummaryNames summary = SummaryNames(install, remove);
    RestoreInstalledSet(backup, remove);
    const double recipeMs = Ms(start);

    std::printf("subsystems           %zu (view items %zu)\n", tree.AllNodes().size(), view.Items.size());
    std::printf("parse setup.idf      %8.2f ms\n", parseMs);
    std::printf("load (LoadFromIDF)   %8.2f ms   target < 200 ms\n", loadMs);
    std::printf("MarkAll              %8.2f ms\n", markAllMs);
    std::printf("FillTreeView         %8.2f ms\n", fillMs);
    std::printf("click (Mark/Unmark)  %8.3f ms   average of %d, target < 5 ms\n", clickMs, clicks);
    std::printf("add/remove recipe    %8.2f ms   (%zu installed, %zu to add, %zu to remove)\n", recipeMs,
                installed.size(), summary.ToInstall.size(), summary.ToRemove.size());
    return loadMs < 200 && clickMs < 5 ? 0 : 1;
}
