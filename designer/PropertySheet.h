// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Named choices for the control's number properties in Designer's property
// editor, saved in the .ui file as the numbers they always were.
#pragma once

#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QExtensionFactory>

#include <QList>
#include <QPointer>

class QDesignerFormEditorInterface;
class QExtensionManager;

namespace qv::designer {

/// The choices of the control's number properties, as enumerations: the
/// names the property editor offers (those of the public interface). It
/// only carries a value for Designer's own property sheet to turn into the
/// editor's choice value and back.
class ChoiceCarrier : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ScaleMode ScaleMode READ scaleMode WRITE setScaleMode)
    Q_PROPERTY(Fit previewFit READ fit WRITE setFit)
public:
    /// As qv::QV_SCALEMODE.
    enum ScaleMode {
        SM_User,
        SM_Twips,
        SM_Points,
        SM_Pixels,
        SM_Characters,
        SM_Inches,
        SM_Millimeters,
        SM_Centimeters
    };
    Q_ENUM(ScaleMode)
    /// As qv::PreviewWindowOptions::Fit.
    enum Fit { FitNone, FitPage, FitWidth };
    Q_ENUM(Fit)

    using QObject::QObject;

    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode v) { m_scaleMode = v; }
    Fit fit() const { return m_fit; }
    void setFit(Fit v) { m_fit = v; }

private:
    ScaleMode m_scaleMode = SM_Twips;
    Fit m_fit = FitNone;
};

/// The property sheet of a qv::PrintPreview on a form: Designer's own sheet,
/// with each number property that has named choices shown once more, as a
/// choice, at the end of the sheet. The number stays in the sheet, hidden
/// from the property editor, under its name: what a form loads and saves
/// (<number>, as before). The choice shows and edits it in the property
/// editor under the name followed by a zero-width space (shownName()):
/// Designer's editor lists a property only under a name that leads to it,
/// and its form writer saves what a name leads to; a name of its own keeps
/// the choice out of the saved form (it is an attribute, which a form does
/// not save as a property), and it looks the same.
class ChoiceSheet : public QObject, public QDesignerPropertySheetExtension
{
    Q_OBJECT
    Q_INTERFACES(QDesignerPropertySheetExtension)
public:
    /// \a base: Designer's sheet of the control \a object; \a manager gives
    /// the carrier's sheet; \a core's property editor is kept showing the
    /// choice (null: none).
    ChoiceSheet(QObject *object, QDesignerPropertySheetExtension *base, QDesignerFormEditorInterface *core,
                QExtensionManager *manager, QObject *parent);

    int count() const override;
    int indexOf(const QString &name) const override;
    QString propertyName(int index) const override;
    QString propertyGroup(int index) const override;
    void setPropertyGroup(int index, const QString &group) override;
    bool hasReset(int index) const override;
    bool reset(int index) override;
    bool isVisible(int index) const override;
    void setVisible(int index, bool visible) override;
    bool isAttribute(int index) const override;
    void setAttribute(int index, bool attribute) override;
    QVariant property(int index) const override;
    void setProperty(int index, const QVariant &value) override;
    bool isChanged(int index) const override;
    void setChanged(int index, bool changed) override;
    bool isEnabled(int index) const override;

    /// The name the property editor shows a choice under: \a name and a
    /// zero-width space.
    static QString shownName(const QString &name);

private:
    struct Choice
    {
        QString name;
        int number;  ///< the number's index in the base sheet
        int carried; ///< the choice's index in the carrier's sheet
    };
    /// The choice at \a index, or null for a property of the base sheet.
    const Choice *choice(int index) const;
    /// The base index that \a index stands for.
    int baseIndex(int index) const;
    /// After the number at base index \a number changed: the property
    /// editor shows its choice again.
    void showChoice(int number);

    QPointer<QObject> m_object;
    QPointer<QDesignerFormEditorInterface> m_core;
    QDesignerPropertySheetExtension *m_base;
    ChoiceCarrier *m_carrier;
    QDesignerPropertySheetExtension *m_carrierSheet = nullptr;
    QList<Choice> m_choices;
};

/// Gives every qv::PrintPreview of a form its ChoiceSheet; any other object
/// keeps Designer's own sheet.
class ChoiceSheetFactory : public QExtensionFactory
{
    Q_OBJECT
public:
    ChoiceSheetFactory(QExtensionManager *parent, QDesignerFormEditorInterface *core);

protected:
    QObject *createExtension(QObject *object, const QString &iid, QObject *parent) const override;

private:
    QExtensionManager *m_manager;
    QDesignerFormEditorInterface *m_core;
    mutable bool m_asking = false;
};

} // namespace qv::designer
