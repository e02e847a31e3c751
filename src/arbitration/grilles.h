#pragma once
// What the three arbitration files share about the tables: the colours of the
// cells and how a cell is made bold or coloured.

#include "simulation/visu_plot.h"

#include <QTableWidget>
#include <QTableWidgetItem>

namespace varnel::arbitrage {

using Couleurs::Bleu;
using Couleurs::Noir;
using Couleurs::Rouge;
using Couleurs::Vert;

// A cell keeps its colour and boldness until they are set again; writing its text
// changes neither.
inline void Couleur_Cellule(QTableWidgetItem* cellule, int couleur) {
    cellule->setForeground(couleurQt(couleur));
}

// Bold in the table's own font, so that a bold cell only differs by its weight.
inline void Gras_Cellule(QTableWidgetItem* cellule) {
    QFont police = cellule->tableWidget() ? cellule->tableWidget()->font() : cellule->font();
    police.setBold(true);
    cellule->setFont(police);
}

} // namespace varnel::arbitrage
