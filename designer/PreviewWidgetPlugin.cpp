// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "PreviewWidgetPlugin.h"

#include "PrintPreviewPlugin.h"
#include "WidgetCollection.h"

#include <qvpreview/PrintPreviewWidget.h>

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace qv::designer {

WidgetCollection::WidgetCollection(QObject *parent) : QObject(parent)
{
    m_entries << new PrintPreviewPlugin(this) << new PreviewWidgetPlugin(this);
}

QString PreviewWidgetPlugin::toolTip() const
{
    return tr("Anteprima di stampa in un modulo (come QPrintPreviewWidget)");
}

QString PreviewWidgetPlugin::whatsThis() const
{
    return tr("Mostra le pagine che lo slot collegato a paintRequested() disegna con QPainter, con zoom, "
              "ricerca e stampa.");
}

QIcon PreviewWidgetPlugin::icon() const
{
    // A sheet with lines of text and a magnifying glass over its corner.
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 1.5, 13, 18));
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = 5; y < 16; y += 3)
        painter.drawLine(QPointF(6, y), QPointF(14, y));
    painter.setPen(QPen(QColor(30, 80, 160), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(14, 14), 4, 4);
    painter.drawLine(QPointF(17, 17), QPointF(20.5, 20.5));
    painter.end();
    return QIcon(pixmap);
}

QWidget *PreviewWidgetPlugin::createWidget(QWidget *parent)
{
    return new PrintPreviewWidget(parent);
}

QString PreviewWidgetPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++" displayname="PrintPreviewWidget">
 <widget class="qv::PrintPreviewWidget" name="printPreviewWidget">
  <property name="geometry">
   <rect>
    <x>0</x>
    <y>0</y>
    <width>400</width>
    <height>300</height>
   </rect>
  </property>
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
}

} // namespace qv::designer
