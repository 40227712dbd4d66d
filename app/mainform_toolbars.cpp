// The three tool bars: their places and visibility from the settings and back, and the one
// menu that shows and hides them.
#include "mainform.h"

#include <QMenu>
#include <QToolBar>

#include <algorithm>
#include <climits>
#include <tuple>
#include <vector>

// A stored place is the bar's top-left corner in the window: bars with the same top share a
// row, ordered by their left edge. A bar without a stored place ("Left" negative) keeps its
// designed place, at the start of the first row in the designed order.
void TMainForm::RestoreToolbars(const std::array<TToolbarState, 3>& states) {
    FToolbarPlaces = states;
    QAction* const menuItems[] = {FileTools, PositionTools, ModifyTools};
    struct TPlace {
        int Top, Left, Tag;
    };
    std::vector<TPlace> places;
    int firstRow = INT32_MAX;
    for (const TToolbarState& state : states)
        if (state.Left >= 0) firstRow = std::min(firstRow, state.Top);
    for (int tag = 0; tag < 3; ++tag) {
        const TToolbarState& state = states[tag];
        places.push_back(state.Left >= 0 ? TPlace{state.Top, state.Left, tag} : TPlace{firstRow, -1, tag});
    }
    if (firstRow != INT32_MAX) {  // at least one stored place: lay the bars out again
        std::sort(places.begin(), places.end(), [](const TPlace& a, const TPlace& b) {
            return std::tie(a.Top, a.Left, a.Tag) < std::tie(b.Top, b.Left, b.Tag);
        });
        for (QToolBar* bar : Toolbars()) removeToolBar(bar);
        for (size_t i = 0; i < places.size(); ++i) {
            if (i > 0 && places[i].Top != places[i - 1].Top) addToolBarBreak(Qt::TopToolBarArea);
            addToolBar(Qt::TopToolBarArea, Toolbars()[places[i].Tag]);
        }
    }
    for (int tag = 0; tag < 3; ++tag) {
        Toolbars()[tag]->setVisible(states[tag].Visible);
        menuItems[tag]->setChecked(states[tag].Visible);
    }
}

// A bar that is shown is where the window has it; a hidden one keeps the place it was last
// seen at, since a hidden bar has no place of its own.
TToolbarState TMainForm::ToolbarState(int tag) const {
    const QToolBar* bar = Toolbars()[tag];
    TToolbarState state = FToolbarPlaces[tag];
    state.Visible = !bar->isHidden();
    if (bar->isVisible()) {
        state.Left = bar->x();
        state.Top = bar->y();
    }
    return state;
}

void TMainForm::ToolbarCheck(QAction* item) {
    const int tag = item->data().toInt();
    if (tag < 0 || tag > 2) return;
    QToolBar* bar = Toolbars()[tag];
    if (bar->isVisible()) FToolbarPlaces[tag] = ToolbarState(tag);
    bar->setVisible(item->isChecked());
}

QMenu* TMainForm::createPopupMenu() {
    auto* menu = new QMenu(this);
    menu->addActions({FileTools, PositionTools, ModifyTools});
    return menu;
}
