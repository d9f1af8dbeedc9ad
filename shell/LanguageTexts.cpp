#include "shell/LanguageTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QWidget>

#include "library/Cp1252.h"
#include "library/TarnBase.h"
#include "platform/Tags.h"

namespace orb {

namespace {

const QByteArray kTag = "Tag";
const QByteArray kCaption = "Caption";
const QByteArray kHint = "Hint";

QByteArray Decimal(int v) { return QByteArray::number(v); }

QString Text(TTarnObject& db, const QByteArray& table, const QByteArray& column, int record) {
    return FromCp1252(db.ReadFieldAsText(table, column, record));
}

// Opens the language file and picks the table; false leaves every text as it is.
bool OpenLanguage(TTarnObject& db, const QString& fileName, const QString& section,
                  QByteArray& table) {
    if (!db.Open(fileName, fileName, QString(), QByteArray())) return false;
    table = LanguageTable(db, section);
    return !table.isEmpty();
}

void SetCaption(QObject* c, const QString& text) {
    if (c->metaObject()->indexOfProperty("Caption") >= 0) {
        c->setProperty("Caption", text);
    } else if (auto* label = qobject_cast<QLabel*>(c)) {
        // A picture shares its Tag with the labels of its entry but has no caption.
        if (!label->property("Picture").toBool() && label->pixmap().isNull()) label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
        group->setTitle(text);
    }
}

// A page control's hint would show over every control of its pages that has none.
bool TakesHint(const QObject* c) { return !qobject_cast<const QStackedWidget*>(c); }

bool IsDialog(const QObject* c) {
    return !c->isWidgetType() && c->dynamicPropertyNames().contains("Title");
}

void TranslateAction(QAction* a, TTarnObject& db, const QByteArray& table);

void TranslateMenuItems(const QList<QAction*>& actions, TTarnObject& db, const QByteArray& table) {
    for (QAction* a : actions) TranslateAction(a, db, table);
}

void TranslateAction(QAction* a, TTarnObject& db, const QByteArray& table) {
    const int tag = GetTag(a);
    if (tag <= 0) return;
    const int r = db.FindRecord(table, kTag, Decimal(tag));
    if (r == 0) return;
    a->setText(Text(db, table, kCaption, r));
    if (QMenu* sub = a->menu()) TranslateMenuItems(sub->actions(), db, table);
    const QString hint = Text(db, table, kHint, r);
    a->setToolTip(hint);
    a->setStatusTip(hint);
}

// Replaces the items of a list, combo box or tab strip in place from consecutive records.
template <typename SetItem>
void SetItems(int count, int first, TTarnObject& db, const QByteArray& table, SetItem set) {
    for (int i = 0; i < count; ++i) set(i, Text(db, table, kCaption, first + i));
}

}  // namespace

QByteArray LanguageTable(TTarnObject& db, const QString& section) {
    const int r = db.FindRecord("Contents", "iCountry", Decimal(LngID()));
    if (r == 0) return QByteArray();
    const QByteArray country = db.ReadFieldAsText("Contents", "sCountry", r);
    return ToCp1252(section) + " (" + country + ")";
}

QString GetLangText(int id, const QString& section, const QString& fileName,
                    const QString& defaultText) {
    TTarnObject db;
    QByteArray table;
    if (!OpenLanguage(db, fileName, section, table)) return defaultText;
    const int r = db.FindRecord(table, kTag, Decimal(id));
    QString result = r ? Text(db, table, kCaption, r) : defaultText;
    db.Close();
    return result;
}

void TranslateComponent(QObject* c, TTarnObject& db, const QByteArray& table) {
    if (!c) return;
    const bool isMenu = qobject_cast<QMenuBar*>(c) || qobject_cast<QMenu*>(c);
    if (auto* action = qobject_cast<QAction*>(c)) {
        TranslateAction(action, db, table);
        return;
    }
    const int tag = GetTag(c);
    if (tag <= 0 && !isMenu) return;
    const int r = tag > 0 ? db.FindRecord(table, kTag, Decimal(tag)) : 0;
    auto* widget = qobject_cast<QWidget*>(c);
    if (r != 0) {
        if (IsDialog(c))
            c->setProperty("Title", Text(db, table, kCaption, r));
        else if (!isMenu)
            SetCaption(c, Text(db, table, kCaption, r));
        if (widget && TakesHint(c)) widget->setToolTip(Text(db, table, kHint, r));
        return;
    }
    if (isMenu) {
        TranslateMenuItems(widget->actions(), db, table);
        return;
    }
    const bool isList =
        qobject_cast<QListWidget*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QTabBar*>(c);
    if (isList) {
        const int s = db.FindRecord(table, kTag, Decimal(tag + 1));
        if (s == 0) return;
        if (auto* list = qobject_cast<QListWidget*>(c)) {
            SetItems(list->count(), s, db, table,
                     [list](int i, const QString& t) { list->item(i)->setText(t); });
        } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
            SetItems(combo->count(), s, db, table,
                     [combo](int i, const QString& t) { combo->setItemText(i, t); });
        } else if (auto* tabs = qobject_cast<QTabBar*>(c)) {
            SetItems(tabs->count(), s, db, table,
                     [tabs](int i, const QString& t) { tabs->setTabText(i, t); });
        }
        widget->setToolTip(Text(db, table, kHint, s));
        return;
    }
    if (auto* pages = qobject_cast<QStackedWidget*>(c)) {
        int last = 0;
        for (int i = 0; i < pages->count(); ++i) {
            last = db.FindRecord(table, kTag, Decimal(i * 1000 + tag + 1));
            if (last) pages->widget(i)->setProperty("PageName", Text(db, table, kCaption, last));
        }
    }
}

// Everything root owns, in child order, depth first.
static void TranslateDescendants(QObject* root, TTarnObject& db, const QByteArray& table) {
    QList<QObject*> stack;
    const QObjectList& top = root->children();
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.append(*it);
    while (!stack.isEmpty()) {
        QObject* o = stack.takeLast();
        TranslateComponent(o, db, table);
        const QObjectList& kids = o->children();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.append(*it);
    }
}

void ApplyLanguage(QObject* target, const QString& section, const QString& fileName) {
    if (!target) return;
    TTarnObject db;
    QByteArray table;
    if (!OpenLanguage(db, fileName, section, table)) return;
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget && widget->isWindow()) {
        const int r = db.FindRecord(table, kTag, Decimal(GetTag(widget)));
        if (r) widget->setWindowTitle(Text(db, table, kCaption, r));
        TranslateDescendants(widget, db, table);
    } else {
        TranslateComponent(target, db, table);
    }
    db.Close();
}

void ApplyLanguageToTree(QObject* root, const QString& section, const QString& fileName) {
    if (!root) return;
    TTarnObject db;
    QByteArray table;
    if (!OpenLanguage(db, fileName, section, table)) return;
    TranslateComponent(root, db, table);
    TranslateDescendants(root, db, table);
    db.Close();
}

}  // namespace orb
