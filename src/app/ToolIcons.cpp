#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace fv {
namespace {

// A glyph on a rounded tile; drawn at start-up, so the icons scale with the screen.
QPixmap tile(const QString& glyph, QColor colour) {
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(130), 2));
    p.setBrush(colour.lighter(185));
    p.drawRoundedRect(QRectF(3, 3, 42, 42), 8, 8);
    QFont f = p.font();
    f.setPixelSize(glyph.size() > 2 ? 14 : 22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(colour.darker(160));
    p.drawText(QRect(3, 3, 42, 42), Qt::AlignCenter, glyph);
    return pm;
}

}  // namespace

QIcon toolIcon(int id) {
    struct Glyph {
        int id;
        const char* text;
        QRgb colour;
    };
    static const Glyph glyphs[] = {
        {57601, "开", 0x2e7d32}, {57602, "关", 0x6d4c41}, {57603, "存", 0x1565c0}, {32808, "信", 0x5e35b1},
        {32830, "印", 0x37474f}, {32831, "预", 0x37474f}, {32815, "选", 0x37474f}, {32781, "AB", 0xc62828},
        {32772, "4P", 0x00838f}, {32773, "3P", 0x00838f}, {32784, "−", 0x283593}, {32771, "全", 0x283593},
        {32806, "↕", 0x6a1b9a}, {32853, "⇕", 0x6a1b9a}, {32792, "+N", 0xef6c00}, {32793, "+R", 0xef6c00},
        {32795, "扫", 0x455a64}, {57664, "?", 0x455a64},
    };
    for (const Glyph& g : glyphs)
        if (g.id == id) return QIcon(tile(QString::fromUtf8(g.text), QColor::fromRgb(g.colour)));
    return QIcon(tile(QStringLiteral("·"), QColor(0x9e9e9e)));
}

}  // namespace fv
