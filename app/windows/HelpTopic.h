// The help topic of a control: the help keyword of the control or, when it
// has none, of the nearest parent that has one, stopping at the control's
// window, so a control on a floating panel shows the default topic.
#pragma once

#include <string>

class QObject;

// The dynamic property that carries a control's help keyword.
constexpr const char* HelpKeywordProperty = "helpKeyword";

void SetHelpKeyword(QObject* object, const std::string& keyword);
// The keyword found by walking up from `object`; "" when none is found
// (the help window then shows its default topic).
std::string HelpTopicOf(const QObject* object);
