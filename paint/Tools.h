#pragma once
// The painting tools. Each tool is a small class that receives the mouse press, move and
// release with the point in window and picture coordinates, works on the painting session and
// keeps its own drag state; the table below registers them under their cursor numbers, which
// is how the session knows its active tool (it makes one of that kind when the tool changes). The tool buttons, the side page they show and the buttons' hot state are
// read from the same table.
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

namespace orb {

class TPaintSession;

struct TToolPoint {
    QPoint window;   // window pixels
    QPoint picture;  // the picture pixel under the point
};

class TPaintTool {
public:
    virtual ~TPaintTool() = default;
    virtual void Press(TPaintSession& s, const TToolPoint& at) {}
    virtual void Move(TPaintSession& s, const TToolPoint& at) {}
    virtual void Release(TPaintSession& s, const TToolPoint& at) {}
};

struct TToolEntry {
    int cursor;               // the cursor number that selects the tool
    const char* button;       // objectName of its button on the paint page
    const char* sidePage;     // the side page its button shows
    std::unique_ptr<TPaintTool> (*make)();
};

// The zoom tools (paint/ZoomTools.cpp).
std::unique_ptr<TPaintTool> MakeZoomInTool();
std::unique_ptr<TPaintTool> MakeZoomOutTool();

// Every tool, in the order of the tool buttons.
const std::vector<TToolEntry>& ToolTable();
// The entry for a cursor number or a button name; null when none.
const TToolEntry* ToolByCursor(int cursor);
const TToolEntry* ToolByButton(const QString& objectName);

}  // namespace orb
