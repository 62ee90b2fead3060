// The hourglass of long operations, as the application's override cursor.
// Nested scopes stack, as Qt's override cursors do.
#pragma once

#include "engine/BusyCursor.h"

class TQtBusyCursor final : public IBusyCursor {
public:
    void Begin() override;
    void End() override;
};
