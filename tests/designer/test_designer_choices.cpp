// SPDX-License-Identifier: MIT
// ScaleMode and previewFit as named choices in a real Designer core (its
// form editor, form window, property editor and undo stack, as Designer
// builds them): a form saved before loads, an edit and its undo go through
// the choice, the saved form keeps <number>. The property editor showing the
// choices is kept as a screenshot.
#include <qvpreview/PrintPreview.h>

#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QExtensionManager>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

namespace {

QDesignerFormEditorInterface *core()
{
    static QDesignerFormEditorInterface *instance = [] {
        // Designer looks for its plugins in the designer/ folder of each library path.
        QCoreApplication::addLibraryPath(QFileInfo(QStringLiteral(QV_DESIGNER_PLUGIN)).absoluteDir().absolutePath()
                                         + QStringLiteral("/.."));
        QDesignerComponents::initializeResources();
        QDesignerFormEditorInterface *c = QDesignerComponents::createFormEditor(nullptr);
        QDesignerComponents::initializePlugins(c);
        c->setWidgetBox(QDesignerComponents::createWidgetBox(c, nullptr));
        c->setPropertyEditor(QDesignerComponents::createPropertyEditor(c, nullptr));
        // As Designer: the integration ties the property editor to the form windows.
        new QDesignerIntegration(c, c);
        return c;
    }();
    return instance;
}

/// The name the property editor lists and edits \a name's choice under.
QString choice(const char *name)
{
    return QLatin1String(name) + QChar(0x200B);
}

QString saved(QDesignerFormWindowInterface *form)
{
    return form->contents();
}

/// The property's value as <number>N</number> in a saved form.
QRegularExpression savedNumber(const char *name, int value)
{
    return QRegularExpression(
        QStringLiteral("<property name=\"%1\"[^>]*>\\s*<number>%2</number>").arg(QLatin1String(name)).arg(value));
}

class DesignerChoices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = core()->formWindowManager()->createFormWindow(nullptr);
        QFile ui(QStringLiteral(QV_SOURCE_DIR "/tests/designer/modulo_fattura.ui"));
        ASSERT_TRUE(ui.open(QIODevice::ReadOnly));
        ASSERT_TRUE(form->setContents(QString::fromUtf8(ui.readAll())));
        control = form->mainContainer() ? form->mainContainer()->findChild<qv::PrintPreview *>() : nullptr;
        ASSERT_NE(control, nullptr) << "the plugin made no control";
        sheet = qt_extension<QDesignerPropertySheetExtension *>(core()->extensionManager(), control);
        ASSERT_NE(sheet, nullptr);
    }
    void TearDown() override { delete form; }

    QDesignerFormWindowInterface *form = nullptr;
    qv::PrintPreview *control = nullptr;
    QDesignerPropertySheetExtension *sheet = nullptr;
};

TEST_F(DesignerChoices, TheNumbersShowOnceEachAsAChoice)
{
    // modulo_fattura.ui, saved before there were choices: ScaleMode 6.
    EXPECT_EQ(control->ScaleMode(), qv::SM_Millimeters);
    for (const char *name : {"ScaleMode", "previewFit"}) {
        int visible = 0;
        for (int i = 0; i < sheet->count(); ++i)
            if (sheet->propertyName(i).startsWith(QLatin1String(name)) && sheet->isVisible(i))
                ++visible;
        EXPECT_EQ(visible, 1) << name;
        // What the property editor lists is a choice; what the name leads to
        // (loading, editing, saving) the number.
        for (int i = 0; i < sheet->count(); ++i) {
            if (sheet->propertyName(i).startsWith(QLatin1String(name)) && sheet->isVisible(i)) {
                EXPECT_STREQ(sheet->property(i).typeName(), "qdesigner_internal::PropertySheetEnumValue") << name;
                // The editor lists a property under the name that leads to it.
                EXPECT_EQ(sheet->indexOf(sheet->propertyName(i)), i) << name;
            }
        }
        EXPECT_EQ(sheet->property(sheet->indexOf(QLatin1String(name))).typeId(), QMetaType::Int) << name;
    }
}

TEST_F(DesignerChoices, AnEditAndItsUndoAreSavedAsNumbers)
{
    ASSERT_TRUE(form->cursor());
    // ScaleMode as the property editor edits it, through its choice; previewFit
    // by its own name, as a script would.
    form->cursor()->setWidgetProperty(control, choice("ScaleMode"), 5);
    form->cursor()->setWidgetProperty(control, QStringLiteral("previewFit"), 2);
    EXPECT_EQ(control->ScaleMode(), qv::SM_Inches);
    EXPECT_EQ(control->previewFit(), 2);
    QString ui = saved(form);
    EXPECT_TRUE(ui.contains(savedNumber("ScaleMode", 5))) << ui.toStdString();
    EXPECT_TRUE(ui.contains(savedNumber("previewFit", 2))) << ui.toStdString();
    EXPECT_FALSE(ui.contains(QStringLiteral("<enum>"))) << ui.toStdString();
    EXPECT_EQ(ui.count(QStringLiteral("name=\"ScaleMode\"")), 1) << ui.toStdString();

    // The undo gives back the choice value (not a number) the sheet showed before.
    form->commandHistory()->undo();
    form->commandHistory()->undo();
    EXPECT_EQ(control->ScaleMode(), qv::SM_Millimeters);
    EXPECT_EQ(control->previewFit(), 0);
    ui = saved(form);
    EXPECT_TRUE(ui.contains(savedNumber("ScaleMode", 6))) << ui.toStdString();
    EXPECT_FALSE(ui.contains(QStringLiteral("<enum>"))) << ui.toStdString();

    // A value outside the choices is refused as before: the control keeps its own.
    sheet->setProperty(sheet->indexOf(QStringLiteral("ScaleMode")), 42);
    EXPECT_EQ(control->ScaleMode(), qv::SM_Millimeters);
}

/// What the property editor shows as \a name's value.
QString shownValue(QDesignerPropertyEditorInterface *editor, const char *name)
{
    for (QTreeWidget *tree : editor->findChildren<QTreeWidget *>())
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->text(0).startsWith(QLatin1String(name)))
                return (*it)->text(1);
    return QString();
}

TEST_F(DesignerChoices, ThePropertyEditorOffersTheNames)
{
    QDesignerPropertyEditorInterface *editor = core()->propertyEditor();
    editor->setObject(control);
    editor->resize(420, 760);
    editor->show();
    EXPECT_EQ(shownValue(editor, "ScaleMode"), QStringLiteral("SM_Millimeters"));
    EXPECT_EQ(shownValue(editor, "previewFit"), QStringLiteral("FitNone"));
    // An edit through the form window's cursor, as the editor's own: the
    // row shows the new choice.
    form->cursor()->setWidgetProperty(control, choice("previewFit"), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownValue(editor, "previewFit") == QLatin1String("FitWidth"); }))
        << shownValue(editor, "previewFit").toStdString();
    const QString artifacts = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    editor->grab().save(artifacts + QStringLiteral("/designer-choices-%1.png").arg(QLocale::system().name()));
    editor->setObject(nullptr);
    editor->hide();
}

} // namespace
