#include "ListIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

QPixmap canvas()
{
    QPixmap pixmap(ListIcons::kSize, ListIcons::kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A rosette: a ribbon under a disc, gold for a winner, silver-blue for a placing.
QPixmap rosette(const QColor &disc, const QColor &ribbon, const QString &label)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ribbon);
    p.drawPolygon(QPolygonF({QPointF(3, 7), QPointF(6, 7), QPointF(5, 14), QPointF(3.5, 12.5), QPointF(2, 14)}));
    p.drawPolygon(QPolygonF({QPointF(8, 7), QPointF(11, 7), QPointF(12, 14), QPointF(10.5, 12.5), QPointF(9, 14)}));
    p.setBrush(disc);
    p.setPen(QPen(disc.darker(150), 1));
    p.drawEllipse(QRectF(1.5, 0.5, 11, 11));
    QFont font;
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(1.5, 0.5, 11, 11), Qt::AlignCenter, label);
    return pixmap;
}

QPixmap comment()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(0.5, 1.5, 13, 9), 3, 3);
    bubble.moveTo(3, 10);
    bubble.lineTo(2.5, 13.5);
    bubble.lineTo(7, 10);
    p.setPen(QPen(QColor(40, 90, 170), 1));
    p.setBrush(QColor(250, 250, 210));
    p.drawPath(bubble.simplified());
    p.setPen(QPen(QColor(40, 90, 170), 1));
    p.drawLine(QPointF(3, 4.5), QPointF(11, 4.5));
    p.drawLine(QPointF(3, 7.5), QPointF(9, 7.5));
    return pixmap;
}

QPixmap tick()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 50));
    p.drawEllipse(QRectF(0.5, 0.5, 13, 13));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3.5, 7.5), QPointF(6, 10), QPointF(10.5, 4)}));
    return pixmap;
}

// The pop-up menus' pictures: a plain shape on the small canvas, drawn by `paint`.
template <typename Paint> QPixmap drawn(Paint paint)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pixmap;
}

QPixmap document()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 0.5, 9, 13));
        for (double y : {3.5, 6.5, 9.5})
            p.drawLine(QPointF(4.5, y), QPointF(9.5, y));
    });
}

QPixmap person()
{
    return drawn([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 60, 30));
        p.drawEllipse(QRectF(4, 1, 6, 6));
        p.drawPie(QRectF(1.5, 7.5, 11, 12), 0, 180 * 16);
    });
}

QPixmap star()
{
    return drawn([](QPainter &p) {
        QPolygonF points;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 == 0 ? 6.5 : 2.8;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            points << QPointF(7 + radius * std::cos(angle), 7.3 + radius * std::sin(angle));
        }
        p.setPen(QPen(QColor(170, 120, 0), 1));
        p.setBrush(QColor(250, 200, 40));
        p.drawPolygon(points);
    });
}

QPixmap horseshoe()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(110, 110, 120), 2.6, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRectF(2.5, 1.5, 9, 11), -20 * 16, 220 * 16);
    });
}

QPixmap film()
{
    return drawn([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRectF(1, 2, 12, 10));
        p.setBrush(Qt::white);
        for (double x : {2.5, 5.5, 8.5, 11.0}) {
            p.drawRect(QRectF(x, 2.8, 1.4, 1.4));
            p.drawRect(QRectF(x, 9.8, 1.4, 1.4));
        }
    });
}

} // namespace

QIcon ListIcons::icon(int index)
{
    static QHash<int, QIcon> cache;
    if (const auto found = cache.constFind(index); found != cache.constEnd())
        return *found;
    QIcon made;
    switch (index) {
    case 2:
        made = QIcon(document());
        break;
    case 3:
        made = QIcon(person());
        break;
    case 8:
        made = QIcon(star());
        break;
    case 9:
        made = QIcon(horseshoe());
        break;
    case 10:
        made = QIcon(film());
        break;
    case 4:
        made = QIcon(rosette(QColor(200, 215, 235), QColor(40, 80, 170), u"P"_s));
        break;
    case 5:
        made = QIcon(rosette(QColor(250, 205, 50), QColor(200, 30, 30), u"1"_s));
        break;
    case 6:
        made = QIcon(comment());
        break;
    case 7:
        made = QIcon(tick());
        break;
    default:
        return QIcon();
    }
    cache.insert(index, made);
    return made;
}
