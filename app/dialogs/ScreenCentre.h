// Dialogs that the design centres on the screen rather than on their owner.
#pragma once

class QWidget;

void CentreOnScreen(QWidget& window);
