#pragma once
// Helpers shared by the frame editor's files.

namespace varnel {

class Form1;

// Ctrl+P (16) and Ctrl+I (9) typed in the identifier or DLC box: runs the
// step-by-step or instant command, as its menu item would (nothing while the item
// is disabled). Other codes do nothing.
void Raccourci_Simulation(Form1& f, int code);

} // namespace varnel
