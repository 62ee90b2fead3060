#include "app/ui/QtBusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

void TQtBusyCursor::Begin() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

void TQtBusyCursor::End() { QGuiApplication::restoreOverrideCursor(); }
