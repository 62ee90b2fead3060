#include "app/windows/HelpTopic.h"

#include <QObject>
#include <QVariant>
#include <QWidget>

void SetHelpKeyword(QObject* object, const std::string& keyword)
{
    object->setProperty(HelpKeywordProperty, QString::fromStdString(keyword));
}

std::string HelpTopicOf(const QObject* object)
{
    for (const QObject* o = object; o; o = o->parent()) {
        const QString keyword = o->property(HelpKeywordProperty).toString();
        if (!keyword.isEmpty()) return keyword.toStdString();
        // A window ends the walk: the floating panels' hosts are windows of
        // their own whose controls have no topic.
        if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow()) break;
    }
    return {};
}
