#pragma once
// The places the data grid's search panel can sit, and the search classes the grid names.

#include "lib/toolscore/ToolCtrlsEhTypes.h"

enum TSearchPanelLocationEh { splGridTopEh, splHorzScrollBarExtraPanelEh, splExternal };

class TDBGridSearchPanelEh;
class TDBGridSearchPanelControlEh;
class TGridHighlightTextParamsEh;
struct TDBGridEhSearchData;
