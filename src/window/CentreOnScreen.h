#pragma once

class QWidget;

namespace window {

// Moves a top-level window so that its centre lies on the centre of its screen's available area
// (the screen less panels and docks); a window without a screen stays where it is.
void CentreOnScreen(QWidget& window);

}  // namespace window
