#include "ui/Icones.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Cote = 24;

using TDessin = void (*)(QPainter&);

void Disquette(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(3, 3, 18, 18);
    p.setBrush(QColor(210, 215, 225));
    p.drawRect(7, 3, 10, 6);
    p.setBrush(Qt::white);
    p.drawRect(6, 13, 12, 8);
    p.fillRect(13, 4, 2, 4, QColor(50, 90, 170));
}

void MajMin(QPainter& p) {
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRect(0, 2, Cote, 20), Qt::AlignCenter, QStringLiteral("Aa"));
    p.setPen(QPen(QColor(30, 110, 200), 2));
    p.drawLine(4, 21, 20, 21);
}

void Raz(QPainter& p) {
    p.setPen(QPen(QColor(190, 40, 30), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(4, 4, 16, 16), 60 * 16, 290 * 16);
    QPainterPath fleche;
    fleche.moveTo(11, 0);
    fleche.lineTo(18, 5);
    fleche.lineTo(11, 9);
    fleche.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 40, 30));
    p.drawPath(fleche);
}

void Interruption(QPainter& p) {
    QPainterPath eclair;
    eclair.moveTo(14, 1);
    eclair.lineTo(5, 13);
    eclair.lineTo(11, 13);
    eclair.lineTo(8, 23);
    eclair.lineTo(19, 9);
    eclair.lineTo(13, 9);
    eclair.closeSubpath();
    p.setPen(QPen(QColor(150, 100, 0), 1));
    p.setBrush(QColor(250, 200, 30));
    p.drawPath(eclair);
}

void Imprimante(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(7, 2, 10, 8);
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(2, 9, 20, 9, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(6, 15, 12, 7);
}

void ProprietesImprimante(QPainter& p) {
    Imprimante(p);
    p.setPen(QPen(QColor(30, 110, 200), 2));
    p.drawLine(8, 18, 16, 18);
    p.drawLine(8, 20, 13, 20);
    p.setBrush(QColor(30, 110, 200));
    p.drawEllipse(QPointF(19, 5), 3, 3);
}

void Imprime(QPainter& p) {
    Imprimante(p);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    for (int y = 17; y <= 21; y += 2) p.drawLine(8, y, 16, y);
    p.setBrush(QColor(40, 170, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(19, 12), 2, 2);
}

void Quitter(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(3, 2, 11, 20);
    p.setPen(QPen(QColor(190, 40, 30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(10, 12, 21, 12);
    p.drawLine(17, 8, 21, 12);
    p.drawLine(17, 16, 21, 12);
}

void Info(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 100, 200));
    p.drawEllipse(2, 2, 20, 20);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 7), 2, 2);
    p.drawRect(10, 10, 4, 9);
}

void Parametres(QPainter& p) {
    p.setPen(QPen(QColor(80, 80, 80), 2));
    for (int x : {6, 12, 18}) p.drawLine(x, 3, x, 21);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(230, 130, 30));
    p.drawRect(3, 13, 6, 4);
    p.drawRect(9, 5, 6, 4);
    p.drawRect(15, 10, 6, 4);
}

void Clavier(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(220, 220, 220));
    p.drawRoundedRect(1, 6, 22, 13, 2, 2);
    p.setBrush(QColor(120, 120, 120));
    for (int x = 4; x < 20; x += 4) p.drawRect(x, 9, 2, 2);
    p.drawRect(6, 14, 12, 2);
}

// The processor chip; the badge tells the run state.
void Puce(QPainter& p, const QColor& couleur) {
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int i = 6; i <= 17; i += 4) {
        p.drawLine(i, 1, i, 4);
        p.drawLine(i, 19, i, 22);
        p.drawLine(1, i, 4, i);
        p.drawLine(19, i, 22, i);
    }
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(couleur);
    p.drawRoundedRect(4, 4, 15, 15, 2, 2);
}

void CpuMarche(QPainter& p) {
    Puce(p, QColor(40, 170, 60));
    QPainterPath lecture;
    lecture.moveTo(9, 7);
    lecture.lineTo(16, 11.5);
    lecture.lineTo(9, 16);
    lecture.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(lecture);
}

void CpuArret(QPainter& p) {
    Puce(p, QColor(235, 150, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(8, 7, 3, 9);
    p.drawRect(13, 7, 3, 9);
}

void CpuHalte(QPainter& p) {
    Puce(p, QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(8, 8, 8, 8);
}

} // namespace

QVector<QIcon> ImagesBarreOutils() {
    static constexpr TDessin Dessins[NbImagesBarre] = {
        Disquette, MajMin, Raz, Interruption, ProprietesImprimante, Imprime, Quitter,
        Info, Parametres, Clavier, CpuMarche, CpuArret, CpuHalte};
    QVector<QIcon> images;
    for (const TDessin dessin : Dessins) {
        QPixmap image(Cote, Cote);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        dessin(p);
        p.end();
        images.push_back(QIcon(image));
    }
    return images;
}
