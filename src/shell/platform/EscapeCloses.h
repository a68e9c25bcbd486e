#pragma once

class QWidget;

namespace kinfold {

// Closes window on an Escape that nothing in it took first: an open list
// closes on its own Escape and the window stays.
void closeOnEscape(QWidget* window);

}  // namespace kinfold
