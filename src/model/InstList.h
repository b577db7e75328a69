// The subsystem model in one include: the subsystem tree, the selection rules, the work
// trees and the tree buffer handed to subsystem libraries.
#pragma once

#include "model/Selection.h"
#include "model/SysTree.h"
#include "model/TreeBuffer.h"
#include "model/WorkTrees.h"
