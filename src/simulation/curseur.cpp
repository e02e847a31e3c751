// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Visu_CAN_MouseDown(Qt::MouseButton, double, double) {}
void Form1::Visu_CAN_MouseMove(Qt::MouseButtons, double, double) {}
void Form1::Visu_CAN_MouseUp(Qt::MouseButton, double, double) {}
void Form1::Visu_CAN_Annotation(int) {}
}
