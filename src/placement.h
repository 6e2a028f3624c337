#pragma once

class QWidget;

// Moves window so that its frame is centred over the frame of over; without
// over, over the screen.
void CentreOver(QWidget* window, const QWidget* over);
