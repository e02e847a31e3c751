#pragma once
// Small appearance helpers for the window's controls.

class QWidget;

namespace varnel {

// Sets the text colour (0x00BBGGRR) of a label, check box, button or text box.
void Couleur_Texte(QWidget* w, int couleur);

} // namespace varnel
