// SPDX-License-Identifier: MIT
// The Qt Designer plugin of qv::PrintPreview, loaded from the build tree with
// QPluginLoader: the control it creates, its persisted properties through a
// real .ui file written and read by QFormBuilder, and the title property page
// of its context menu.
#include <qvpreview/PrintPreview.h>
#include <qvpreview/PrintPreviewWidget.h>

#include "ui_modulo_fattura.h"

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionManager>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMetaEnum>
#include <QPluginLoader>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
// Qt's form builder drops the DOM nodes it made for the properties it cannot
// write and for the children it cannot create again when it saves and loads
// a form; that memory is Qt's, kept to the process's end.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt6Designer.so\n";
}
#endif

namespace {

QPluginLoader &loader()
{
    static QPluginLoader instance(QStringLiteral(QV_DESIGNER_PLUGIN));
    return instance;
}

/// The plugin's entries; null (with the loader's reason) when it does not load.
QDesignerCustomWidgetCollectionInterface *collection()
{
    return qobject_cast<QDesignerCustomWidgetCollectionInterface *>(loader().instance());
}

/// The plugin's entry of the class \a name, or null.
QDesignerCustomWidgetInterface *entry(const QString &name)
{
    if (!collection())
        return nullptr;
    for (QDesignerCustomWidgetInterface *e : collection()->customWidgets())
        if (e->name() == name)
            return e;
    return nullptr;
}

/// The control's entry.
QDesignerCustomWidgetInterface *plugin()
{
    return entry(QStringLiteral("qv::PrintPreview"));
}

/// The preview widget's entry.
QDesignerCustomWidgetInterface *widgetEntry()
{
    return entry(QStringLiteral("qv::PrintPreviewWidget"));
}

QString pluginFolder()
{
    return QFileInfo(QStringLiteral(QV_DESIGNER_PLUGIN)).absolutePath();
}

TEST(DesignerPlugin, LoadsAndNamesTheControlAsUicNeedsIt)
{
    QDesignerCustomWidgetInterface *entry = plugin();
    ASSERT_NE(entry, nullptr) << loader().errorString().toStdString();
    EXPECT_EQ(entry->name(), QStringLiteral("qv::PrintPreview"));
    EXPECT_EQ(entry->includeFile(), QStringLiteral("<qvpreview/PrintPreview.h>"));
    EXPECT_FALSE(entry->isContainer());
    EXPECT_FALSE(entry->icon().isNull());
    EXPECT_TRUE(
        entry->domXml().contains(QStringLiteral("<header location=\"global\">qvpreview/PrintPreview.h</header>")));
}

/// The widget box offers the control and the preview widget, each with its
/// own icon and header; the preview dialog is no part of a form, as Qt's
/// is not.
TEST(DesignerPlugin, OffersTheControlAndThePreviewWidget)
{
    ASSERT_NE(collection(), nullptr) << loader().errorString().toStdString();
    QStringList names;
    for (QDesignerCustomWidgetInterface *e : collection()->customWidgets())
        names << e->name();
    EXPECT_EQ(names, (QStringList{QStringLiteral("qv::PrintPreview"), QStringLiteral("qv::PrintPreviewWidget")}));
    QDesignerCustomWidgetInterface *widget = widgetEntry();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->includeFile(), QStringLiteral("<qvpreview/PrintPreviewWidget.h>"));
    EXPECT_EQ(widget->group(), plugin()->group());
    EXPECT_FALSE(widget->isContainer());
    EXPECT_FALSE(widget->icon().isNull());
    EXPECT_NE(widget->icon().pixmap(22, 22).toImage(), plugin()->icon().pixmap(22, 22).toImage());
    EXPECT_TRUE(widget->domXml().contains(
        QStringLiteral("<header location=\"global\">qvpreview/PrintPreviewWidget.h</header>")));
}

/// A form with the preview widget in a layout, as Designer saves it: it
/// loads, saves and loads again, the widget in its place each time.
TEST(DesignerPlugin, AFormWithThePreviewWidgetLoadsSavesAndReloads)
{
    ASSERT_NE(widgetEntry(), nullptr) << loader().errorString().toStdString();
    QByteArray xml = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Anteprima</class>
 <widget class="QWidget" name="Anteprima">
  <layout class="QVBoxLayout" name="colonna">
   <item>
    <widget class="QPushButton" name="stampa"><property name="text"><string>Stampa</string></property></widget>
   </item>
   <item>
    <widget class="qv::PrintPreviewWidget" name="anteprima"/>
   </item>
  </layout>
 </widget>
 <customwidgets>
  <customwidget>
   <class>qv::PrintPreviewWidget</class>
   <extends>QWidget</extends>
   <header location="global">qvpreview/PrintPreviewWidget.h</header>
  </customwidget>
 </customwidgets>
</ui>
)");
    for (int round = 0; round < 2; ++round) {
        QBuffer in(&xml);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFormBuilder builder;
        builder.setPluginPath({pluginFolder()});
        std::unique_ptr<QWidget> form(builder.load(&in));
        ASSERT_NE(form, nullptr) << builder.errorString().toStdString();
        auto *preview = form->findChild<qv::PrintPreviewWidget *>(QStringLiteral("anteprima"));
        ASSERT_NE(preview, nullptr) << "round " << round;
        ASSERT_NE(form->layout(), nullptr);
        EXPECT_GE(form->layout()->indexOf(preview), 0);
        EXPECT_EQ(preview->pageCount(), 0); // nothing recorded before it is shown
        QByteArray saved;
        QBuffer out(&saved);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        builder.save(&out, form.get());
        ASSERT_TRUE(saved.contains("class=\"qv::PrintPreviewWidget\" name=\"anteprima\"")) << saved.toStdString();
        xml = saved;
    }
}

/// What the widget box places on a form is a .ui document of its own: built
/// by QFormBuilder it is the control, with the properties of a first placement.
TEST(DesignerPlugin, WidgetBoxEntryBuildsTheControl)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    QByteArray xml = plugin()->domXml().toUtf8();
    QBuffer buffer(&xml);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    QFormBuilder builder;
    builder.setPluginPath({pluginFolder()});
    std::unique_ptr<QWidget> widget(builder.load(&buffer));
    ASSERT_NE(widget, nullptr) << builder.errorString().toStdString();
    auto *control = qobject_cast<qv::PrintPreview *>(widget.get());
    ASSERT_NE(control, nullptr) << widget->metaObject()->className();
    EXPECT_EQ(control->titolo(), QStringLiteral("Anteprima di Stampa"));
}

TEST(DesignerPlugin, CreatesTheControlAtItsFixedDesignSize)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    QWidget form;
    QWidget *widget = plugin()->createWidget(&form);
    auto *control = qobject_cast<qv::PrintPreview *>(widget);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), &form);
    EXPECT_EQ(control->titolo(), QStringLiteral("Anteprima di Stampa"));
    EXPECT_EQ(control->ScaleMode(), qv::SM_Twips);

    // The size of any control (495 x 495 twips); a form's resize handle cannot change it.
    const QSize fixed = qv::PrintPreview().size();
    EXPECT_EQ(control->size(), fixed);
    EXPECT_EQ(control->minimumSize(), fixed);
    EXPECT_EQ(control->maximumSize(), fixed);
    control->resize(fixed * 3);
    EXPECT_EQ(control->size(), fixed);
}

/// The property editor and QUiLoader write the scale mode through the
/// meta-object system, where an error thrown would end the program: a value
/// outside 0 to 7 is refused there without one, and the scale mode stays.
TEST(DesignerPlugin, ScaleModeWrittenByPropertyNameNeverThrows)
{
    const QMetaObject &meta = qv::PrintPreview::staticMetaObject;
    for (const char *name : {"titolo", "ScaleMode"}) {
        const QMetaProperty property = meta.property(meta.indexOfProperty(name));
        EXPECT_TRUE(property.isWritable() && property.isDesignable() && property.isStored()) << name;
    }
    qv::PrintPreview control;
    struct Scrittura
    {
        int valore;
        int atteso;
    };
    for (const Scrittura &w : {Scrittura{qv::SM_Millimeters, qv::SM_Millimeters}, Scrittura{8, qv::SM_Millimeters},
                               Scrittura{-1, qv::SM_Millimeters}, Scrittura{qv::SM_User, qv::SM_User}}) {
        EXPECT_NO_THROW(control.setProperty("ScaleMode", w.valore)) << w.valore;
        EXPECT_EQ(control.ScaleMode(), w.atteso) << w.valore;
        EXPECT_EQ(control.property("ScaleMode").toInt(), w.atteso) << w.valore;
    }
    // The setter itself still throws for the host that calls it.
    EXPECT_THROW(control.setScaleMode(8), qv::Error);
}

/// A hand-edited .ui file with a scale mode out of range loads: the control
/// keeps its default scale and its title.
TEST(DesignerPlugin, UiFileWithAScaleModeOutOfRangeLoads)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("modulo.ui")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<ui version="4.0"><class>Modulo</class>
 <widget class="QWidget" name="Modulo">
  <widget class="qv::PrintPreview" name="anteprima">
   <property name="ScaleMode"><number>9</number></property>
   <property name="titolo"><string>Bolla</string></property>
  </widget>
 </widget>
</ui>
)");
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QFormBuilder builder;
    builder.setPluginPath({pluginFolder()});
    std::unique_ptr<QWidget> form;
    ASSERT_NO_THROW(form.reset(builder.load(&file)));
    ASSERT_NE(form, nullptr) << builder.errorString().toStdString();
    auto *control = form->findChild<qv::PrintPreview *>(QStringLiteral("anteprima"));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->ScaleMode(), qv::SM_Twips);
    EXPECT_EQ(control->titolo(), QStringLiteral("Bolla"));
}

/// A host's form built by uic's code from a .ui file that Designer saved.
TEST(DesignerUic, GeneratedCodeSetsThePersistedProperties)
{
    QWidget form;
    Ui::ModuloFattura ui;
    ui.setupUi(&form);
    EXPECT_EQ(ui.printPreview->titolo(), QStringLiteral("Fattura di maggio"));
    EXPECT_EQ(ui.printPreview->ScaleMode(), qv::SM_Millimeters);
    EXPECT_EQ(ui.printPreview->size(), qv::PrintPreview().size());
}

struct Persistito
{
    const char *caso;
    QString titolo;
    int scaleMode;
};

class DesignerUi : public ::testing::TestWithParam<Persistito>
{};

/// A form with the control, saved as a .ui file and loaded again: the title
/// and scale mode come back; the font, which is not persisted, starts from
/// its default.
TEST_P(DesignerUi, PersistedPropertiesSurviveSavingAndLoading)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    const Persistito &p = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ui = dir.filePath(QStringLiteral("modulo.ui"));
    {
        QWidget form;
        form.setObjectName(QStringLiteral("Modulo"));
        QWidget *widget = plugin()->createWidget(&form);
        widget->setObjectName(QStringLiteral("anteprima"));
        ASSERT_TRUE(widget->setProperty("titolo", p.titolo));
        ASSERT_TRUE(widget->setProperty("ScaleMode", p.scaleMode));
        static_cast<qv::PrintPreview *>(widget)->setFontName(QStringLiteral("Courier New"));
        QFile file(ui);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QFormBuilder builder;
        builder.save(&file, &form);
    }
    QFile file(ui);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(
        QRegularExpression(QStringLiteral("<property name=\"ScaleMode\">\\s*<number>%1</number>").arg(p.scaleMode))))
        << text.toStdString();
    file.seek(0);

    QFormBuilder builder;
    builder.setPluginPath({pluginFolder()});
    std::unique_ptr<QWidget> form(builder.load(&file));
    ASSERT_NE(form, nullptr) << builder.errorString().toStdString();
    auto *control = form->findChild<qv::PrintPreview *>(QStringLiteral("anteprima"));
    ASSERT_NE(control, nullptr) << text.toStdString();
    EXPECT_EQ(control->titolo(), p.titolo);
    EXPECT_EQ(control->ScaleMode(), p.scaleMode);
    EXPECT_EQ(control->FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(control->size(), qv::PrintPreview().size());
}

INSTANTIATE_TEST_SUITE_P(
    Valori, DesignerUi,
    ::testing::Values(Persistito{"Predefiniti", QStringLiteral("Anteprima di Stampa"), qv::SM_Twips},
                      Persistito{"Millimetri", QStringLiteral("Fattura n. 42 – è così"), qv::SM_Millimeters},
                      Persistito{"TitoloVuoto", QString(), qv::SM_User},
                      Persistito{"SpaziEMarkup", QStringLiteral("  <b>Bolla</b> & \"copia\"  "), qv::SM_Centimeters}),
    [](const auto &info) { return std::string(info.param.caso); });

/// Designer's core as far as the context menu needs it: an extension manager
/// with the plugin's extensions registered.
class Core : public QDesignerFormEditorInterface
{
public:
    Core() : QDesignerFormEditorInterface(qApp) { setExtensionManager(new QExtensionManager(this)); }
};

QDesignerFormEditorInterface *core()
{
    static QDesignerFormEditorInterface *instance = [] {
        auto *c = new Core;
        if (plugin())
            plugin()->initialize(c);
        return c;
    }();
    return instance;
}

TEST(DesignerTaskMenu, OnlyThePreviewControlHasThePropertyPageEntry)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    ASSERT_NE(core(), nullptr);
    EXPECT_TRUE(plugin()->isInitialized());
    QWidget form;
    std::unique_ptr<QWidget> control(plugin()->createWidget(&form));
    auto *menu = qt_extension<QDesignerTaskMenuExtension *>(core()->extensionManager(), control.get());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->taskActions().size(), 1);
    EXPECT_EQ(menu->taskActions().first()->text(), QStringLiteral("Proprietà dell'Anteprima..."));
    EXPECT_EQ(menu->preferredEditAction(), menu->taskActions().first());

    QLabel label(&form);
    EXPECT_EQ(qt_extension<QDesignerTaskMenuExtension *>(core()->extensionManager(), &label), nullptr);
}

struct Modifica
{
    const char *caso;
    QString testo;
    QStringList pulsanti; // pressed in this order; the last one closes the dialog
    QString atteso;
};

class DesignerPaginaTitolo : public ::testing::TestWithParam<Modifica>
{};

/// Runs \a step on the property dialog once it is shown (as soon as the
/// dialog's own event loop runs), unless \a attesa was cleared first.
void quandoAperto(std::shared_ptr<bool> attesa, std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, qApp, [attesa, step] {
        if (!*attesa)
            return;
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            *attesa = false;
            step(dialog);
        } else {
            quandoAperto(attesa, step);
        }
    });
}

/// Designer initializes the plugin, which then speaks the language of the
/// locale Designer runs under: Italian under the suite's C locale, English
/// where the test runs again under LANG=en_US.UTF-8 (DesignerInEnglish).
TEST(DesignerLingua, TheInitializedPluginSpeaksTheUsersLanguage)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    ASSERT_NE(core(), nullptr);
    const bool english = QLocale::system().language() == QLocale::English;
    QWidget form;
    std::unique_ptr<QWidget> control(plugin()->createWidget(&form));
    auto *menu = qt_extension<QDesignerTaskMenuExtension *>(core()->extensionManager(), control.get());
    ASSERT_NE(menu, nullptr);
    control->setObjectName(QStringLiteral("printPreview"));

    QStringList dialog;
    auto attesa = std::make_shared<bool>(true);
    quandoAperto(attesa, [&](QWidget *d) {
        dialog << d->windowTitle();
        for (QPushButton *b : d->findChildren<QPushButton *>())
            dialog << b->text();
        for (QTabWidget *t : d->findChildren<QTabWidget *>())
            dialog << t->tabText(0);
        for (QLabel *l : d->findChildren<QLabel *>())
            dialog << l->text();
        static_cast<QDialog *>(d)->reject();
    });
    menu->taskActions().first()->trigger();
    ASSERT_FALSE(*attesa) << "the dialog did not open";

    struct Testo
    {
        QString got, italiano, inglese;
    };
    for (const Testo &t :
         {Testo{plugin()->toolTip(), "Anteprima di Stampa", "Print Preview"},
          Testo{plugin()->whatsThis(), "Registra un documento pagina per pagina e ne apre l'anteprima di stampa.",
                "Records a document page by page and opens its print preview."},
          Testo{menu->taskActions().first()->text(), "Proprietà dell'Anteprima...", "Preview Properties..."},
          Testo{widgetEntry()->toolTip(), "Anteprima di stampa in un modulo (come QPrintPreviewWidget)",
                "Print preview on a form (as QPrintPreviewWidget)"},
          Testo{widgetEntry()->whatsThis(),
                "Mostra le pagine che lo slot collegato a paintRequested() disegna con QPainter, con zoom, ricerca "
                "e stampa.",
                "Shows the pages that the slot connected to paintRequested() paints with QPainter, with zoom, find "
                "and print."},
          Testo{dialog.value(0), "Proprietà di printPreview", "Properties of printPreview"}})
        EXPECT_EQ(t.got, english ? t.inglese : t.italiano);
    for (const char *testo : {"OK", "Annulla", "Applica", "Anteprima", "Titolo:"})
        EXPECT_EQ(dialog.contains(QString::fromUtf8(testo)), !english || QByteArray(testo) == "OK") << testo;
    if (english) {
        for (const char *testo : {"Cancel", "Apply"})
            EXPECT_TRUE(dialog.contains(QLatin1String(testo))) << testo << ": " << dialog.join('|').toStdString();
    }
}

/// The context menu's entry opens the title page on the control's current
/// title; OK and Applica write the edited title (without its outer spaces),
/// Annulla leaves the control alone.
TEST_P(DesignerPaginaTitolo, EditsTheTitleOfTheControl)
{
    ASSERT_NE(plugin(), nullptr) << loader().errorString().toStdString();
    const Modifica &m = GetParam();
    QWidget form;
    std::unique_ptr<QWidget> widget(plugin()->createWidget(&form));
    auto *control = static_cast<qv::PrintPreview *>(widget.get());
    control->setTitolo(QStringLiteral("Vecchio titolo"));
    auto *menu = qt_extension<QDesignerTaskMenuExtension *>(core()->extensionManager(), control);
    ASSERT_NE(menu, nullptr);

    QString mostrato;
    bool chiuso = false;
    auto attesa = std::make_shared<bool>(true);
    quandoAperto(attesa, [&](QWidget *dialog) {
        auto *campo = dialog->findChild<QLineEdit *>(QStringLiteral("Text1"));
        if (!campo) {
            dialog->close();
            return;
        }
        mostrato = campo->text();
        campo->setText(m.testo);
        for (const QString &nome : m.pulsanti) {
            if (auto *pulsante = dialog->findChild<QPushButton *>(nome))
                pulsante->click();
        }
        chiuso = !dialog->isVisible();
        if (!chiuso)
            dialog->close();
    });
    menu->preferredEditAction()->trigger();
    const bool aperto = !*attesa;
    *attesa = false; // a dialog that never opened leaves no step behind
    ASSERT_TRUE(aperto) << "the property dialog did not open";

    EXPECT_EQ(mostrato, QStringLiteral("Vecchio titolo"));
    EXPECT_TRUE(chiuso);
    EXPECT_EQ(control->titolo(), m.atteso);
}

INSTANTIATE_TEST_SUITE_P(
    Pulsanti, DesignerPaginaTitolo,
    ::testing::Values(
        Modifica{
            "Ok", QStringLiteral("  Fattura di maggio  "), {QStringLiteral("ok")}, QStringLiteral("Fattura di maggio")},
        Modifica{"Annulla", QStringLiteral("Bolla"), {QStringLiteral("annulla")}, QStringLiteral("Vecchio titolo")},
        Modifica{"ApplicaPoiAnnulla",
                 QStringLiteral("Bolla"),
                 {QStringLiteral("applica"), QStringLiteral("annulla")},
                 QStringLiteral("Bolla")},
        Modifica{"OkSenzaModifiche",
                 QStringLiteral("Vecchio titolo"),
                 {QStringLiteral("ok")},
                 QStringLiteral("Vecchio titolo")}),
    [](const auto &info) { return std::string(info.param.caso); });

} // namespace
