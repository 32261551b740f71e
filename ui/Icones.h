// The pictures of the main toolbar, drawn once at start-up. Index 10, 11 and
// 12 show the processor running, stopped and halted.
#pragma once

#include <QIcon>
#include <QVector>

constexpr int NbImagesBarre = 13;

QVector<QIcon> ImagesBarreOutils();
