#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QWidget>

namespace qcm {

namespace {

// How an object asked to be read; the factory below looks it up.
const char *const kReadAs = "qcmReadAs";
enum ReadAs { AsWindow = 1, AsData = 2 };

class DataLabelAccessible : public QAccessibleWidget {
public:
    explicit DataLabelAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) { }

    QString text(QAccessible::Text t) const override
    {
        if (!widget()->isVisible())
            return {};
        if (t == QAccessible::Name)
            return static_cast<const QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

// A label shown or hidden changes what it says: readers that keep the
// name they read are told.
class ShowHideNotifier : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            for (const auto change : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
                QAccessibleEvent notice(watched, change);
                QAccessible::updateAccessibility(&notice);
            }
        }
        return false;
    }
};

QAccessibleInterface *readerFactory(const QString &, QObject *object)
{
    switch (object ? object->property(kReadAs).toInt() : 0) {
    case AsWindow:
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    case AsData:
        return new DataLabelAccessible(static_cast<QLabel *>(object));
    default:
        return nullptr;
    }
}

// Marks the object, and drops an interface made for it before it was marked.
template <typename Check> void readAs(QObject *object, ReadAs how, Check isOurs)
{
    static const bool installed = (QAccessible::installFactory(&readerFactory), true);
    (void)installed;
    object->setProperty(kReadAs, int(how));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (iface && !isOurs(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

} // namespace

void readAsWindow(QWidget *window)
{
    readAs(window, AsWindow, [](QAccessibleInterface *iface) { return iface->role() == QAccessible::Window; });
}

void readAsData(QLabel *label, const QString &role)
{
    readAs(label, AsData, [](QAccessibleInterface *iface) { return dynamic_cast<DataLabelAccessible *>(iface); });
    // Data is shown as it is stored, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleDescription(role);
    label->installEventFilter(new ShowHideNotifier(label));
}

} // namespace qcm
