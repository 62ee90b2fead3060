// A left click on a spin box's text runs `handler`, on release; clicks on
// the arrows do not (they change the value, which reports itself).
#pragma once

#include <functional>

class QAbstractSpinBox;

void OnSpinTextClick(QAbstractSpinBox* spin, std::function<void()> handler);
