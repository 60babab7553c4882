#pragma once

class QWidget;

namespace orlo {

// Qt never hands the window system an empty title: it shows the program's name instead. For a
// window whose own title is empty this clears the title the window system shows (X11 and Windows;
// elsewhere nothing). Call it after every change of the window's title and once the window exists.
void ShowEmptyTitleAsEmpty(QWidget& window);

} // namespace orlo
