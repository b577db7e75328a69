// Small descriptions for the model tests, written as real setup.idf text, and compact
// pictures of trees and marks to compare results with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/InstIDF.h"
#include "model/InstList.h"

namespace kor::test {

// One subsystem: its "SubSystems" entry and its section, which gets the extra key lines and,
// unless they name one, "Short name" = Name.
struct TSub {
    std::string Name;
    std::string Number;
    std::vector<std::string> Keys;
};

// The description text: header, "SubSystems", then one section per subsystem; CR LF lines.
std::string DescriptionText(const std::vector<TSub>& subs, const std::vector<std::string>& extraLines = {});
// Text of lines joined as a description file (header and empty line added).
std::string IdfText(const std::vector<std::string>& lines);

// A loaded description and the tree built from it.
struct TLoaded {
    TIDFTextFile Description;
    TSysTree Tree;
    bool Result = false;
    TSysNode& Node(const std::string& shortName) const;
};
std::unique_ptr<TLoaded> Load(const std::string& text);

// "A(B(C),D) E": short names in child order; with marks, a "-" before an unmarked node.
std::string Shape(const TCustomSysNode& holder, bool marks = true);
// Short names, in AllNodes order, of the nodes that are Marked (or FullyMarked).
std::string MarkedNames(const TSysTree& tree);
std::string FullyMarkedNames(const TSysTree& tree);
std::string AllNodeNames(const TSysTree& tree);

}  // namespace kor::test
