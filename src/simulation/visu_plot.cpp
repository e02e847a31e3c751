// Placeholder until the plot component lands.
#include "simulation/visu_plot.h"
namespace varnel {
QColor couleurQt(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
void Courbe::Ajoute_Point(double x, double y, int c) { points_.push_back({x, y, c}); }
void Courbe::Couleur_Point(int i, int c) { points_.at(i).couleur = c; }
void Courbe::Efface_Points() { points_.clear(); }
void Courbe::Decalage_Y(double o) { offset_ = o; }
VisuPlot::VisuPlot(QWidget* parent) : QCustomPlot(parent) {}
VisuPlot::~VisuPlot() = default;
void VisuPlot::Plage_X(double a, double b) { minX_ = a; maxX_ = b; }
void VisuPlot::Plage_Y(double a, double b) { minY_ = a; maxY_ = b; }
double VisuPlot::Min_X() const { return minX_; }
double VisuPlot::Max_X() const { return maxX_; }
double VisuPlot::Min_Y() const { return minY_; }
double VisuPlot::Max_Y() const { return maxY_; }
void VisuPlot::Ajoute_Graduation_X(double, const QString&) {}
void VisuPlot::Ajoute_Graduation_Y(double, const QString&) {}
void VisuPlot::Efface_Graduations_X() {}
void VisuPlot::Efface_Graduations_Y() {}
QMap<double, QString> VisuPlot::Graduations_X() const { return {}; }
QMap<double, QString> VisuPlot::Graduations_Y() const { return {}; }
double VisuPlot::Pixel_Vers_X(double) const { return 0; }
double VisuPlot::X_Vers_Pixel(double) const { return 0; }
double VisuPlot::Y_Vers_Pixel(double) const { return 0; }
Courbe* VisuPlot::Ajoute_Courbe(const QString& nom) { courbes_.emplace_back(new Courbe(this, nom)); return courbes_.back().get(); }
int VisuPlot::Ajoute_Annotation(double x, double y, int c) { Annotation a; a.x = x; a.y = y; a.couleur = c; annotations_.push_back(a); return Nb_Annotations() - 1; }
void VisuPlot::Modifie_Annotation(int i, const Annotation& a) { annotations_.at(i) = a; }
void VisuPlot::Deplace_Annotation(int i, double x, double y) { annotations_.at(i).x = x; annotations_.at(i).y = y; }
void VisuPlot::Texte_Annotation(int i, const QString& t) { annotations_.at(i).texte = t; }
void VisuPlot::Couleur_Annotation(int i, int c) { annotations_.at(i).couleur = c; }
void VisuPlot::Efface_Annotations() { annotations_.clear(); }
int VisuPlot::Annotation_Sous(double, double) const { return -1; }
void VisuPlot::Rafraichit() {}
QImage VisuPlot::Image() { return {}; }
void VisuPlot::Restaure_Plages() {}
void VisuPlot::mousePressEvent(QMouseEvent* e) { QCustomPlot::mousePressEvent(e); }
void VisuPlot::mouseMoveEvent(QMouseEvent* e) { QCustomPlot::mouseMoveEvent(e); }
void VisuPlot::mouseReleaseEvent(QMouseEvent* e) { QCustomPlot::mouseReleaseEvent(e); }
void VisuPlot::wheelEvent(QWheelEvent* e) { QCustomPlot::wheelEvent(e); }
void VisuPlot::majAnnotation(int) {}
}
