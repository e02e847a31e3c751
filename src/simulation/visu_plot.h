#pragma once
// The plot widget behind `Visu_CAN` and `Visu_ARB`, built on QCustomPlot.
//
// It offers what the program draws with: two axes with user tick labels and grid
// lines, traces that are polylines of appended points each carrying its own colour
// (a segment takes the colour of its end point) drawn at a vertical offset, and
// text items. Everything drawn can be read back without rendering, for the tests.
//
// Colours are the program's 0x00BBGGRR integers; `couleurQt` converts them.

#include <QColor>
#include <QImage>
#include <QString>
#include <qcustomplot.h>

#include <memory>
#include <vector>

namespace varnel {

// 0x00BBGGRR -> QColor. The one place where the program's colour layout is read.
QColor couleurQt(int bgr);

// The colours the program names, as 0x00BBGGRR.
namespace Couleurs {
inline constexpr int Noir = 0;
inline constexpr int Rouge = 0x0000FF;
inline constexpr int Vert = 0x008000;
inline constexpr int Bleu = 0xFF0000;
inline constexpr int Gris = 0x808080;
} // namespace Couleurs

struct PointTrace {
    double x = 0;
    double y = 0;    // relative to the trace's offset
    int couleur = 0; // 0x00BBGGRR; colours the segment that ends at this point
};

class VisuPlot;

// One polyline. Owned by its plot; stays valid until the plot is destroyed
// (clearing a trace only removes its points).
class Courbe {
public:
    void Ajoute_Point(double x, double y, int couleur);                // Points.Add
    int Nb_Points() const { return static_cast<int>(points_.size()); } // Points.Count
    const PointTrace& Point(int i) const { return points_.at(i); }     // Points.Item
    void Couleur_Point(int i, int couleur);                            // Point.Color
    void Efface_Points();                                              // Points.Clear
    void Decalage_Y(double offset);                                    // Trace.YOffset
    double Decalage_Y() const { return offset_; }
    const QString& Nom() const { return nom_; }
    const std::vector<PointTrace>& Points() const { return points_; }

private:
    friend class VisuPlot;
    friend class CourbeDessin;
    Courbe(VisuPlot* plot, QString nom) : plot_(plot), nom_(std::move(nom)) {}
    VisuPlot* plot_;
    QString nom_;
    double offset_ = 0;
    std::vector<PointTrace> points_;
    QCPAbstractPlottable* dessin_ = nullptr; // the QCustomPlot item that draws it
};

// One text item (an "annotation").
struct Annotation {
    double x = 0;
    double y = 0;
    QString texte;
    int couleur = 0;   // 0x00BBGGRR
    double angle = 0;  // degrees, 0 horizontal, 90 vertical (reading upwards)
    double taille = 8; // points
    bool visible = true;
    // Placement on (x, y). 3: the text begins a few pixels right of the point, a
    // horizontal text centred on y, a vertical one rising from y (labels over a cell).
    // 0: the text's left edge on the point, centred on y (the cursor marker).
    // 4: as 3, but centred on x: it stays over its cell at any zoom.
    // 5: as 4, a horizontal text one line lower (under a text of anchor 4).
    int ancre = 3;
};

class VisuPlot : public QCustomPlot {
    Q_OBJECT
public:
    explicit VisuPlot(QWidget* parent = nullptr);
    ~VisuPlot() override;

    // ---- Axes (Axes.X / Axes.Y) ----
    void Plage_X(double min, double max); // Axis.Min / Axis.Max
    void Plage_Y(double min, double max);
    double Min_X() const;
    double Max_X() const;
    double Min_Y() const;
    double Max_Y() const;
    // User tick labels with their grid lines (Labels.Add, Tick.GridLine; Labels.Clear).
    void Ajoute_Graduation_X(double valeur, const QString& texte);
    void Ajoute_Graduation_Y(double valeur, const QString& texte);
    void Efface_Graduations_X();
    void Efface_Graduations_Y();
    QMap<double, QString> Graduations_X() const;
    QMap<double, QString> Graduations_Y() const;
    // X value at a horizontal pixel of the widget (Axis.PixelToValue).
    double Pixel_Vers_X(double px) const;
    double X_Vers_Pixel(double x) const;
    double Y_Vers_Pixel(double y) const;

    // ---- Traces (Traces.Add) ----
    Courbe* Ajoute_Courbe(const QString& nom);
    const std::vector<std::unique_ptr<Courbe>>& Courbes() const { return courbes_; }

    // ---- Text items (Annotations.*) ----
    int Ajoute_Annotation(double x, double y, int couleur); // returns its index
    int Nb_Annotations() const { return static_cast<int>(annotations_.size()); }
    const Annotation& Annotation_Item(int i) const { return annotations_.at(i); }
    void Modifie_Annotation(int i, const Annotation& a);
    void Deplace_Annotation(int i, double x, double y);
    void Texte_Annotation(int i, const QString& texte);
    void Couleur_Annotation(int i, int couleur);
    void Efface_Annotations();
    // Index of the text item under the pixel (x, y), or -1 when there is none.
    // The first item in index order wins.
    int Annotation_Sous(double px, double py) const;
    // X value under the middle of a horizontal text item (what the "<  >" marker points at).
    double Centre_X_Annotation(int i) const;
    // Where text items show: the drawing area and the band above it, below the title.
    QRect Zone_Textes() const;

    // ---- View ----
    // Shows or hides the title "Simulation d'une trame CAN", leaving its room empty.
    void Titre_Visible(bool visible);
    // Queued redraw: several requests in one event paint once (View.Refresh).
    void Rafraichit();
    // The plot as a picture (Plot.CopyToClipboard / printing).
    QImage Image();
    // The program's own ranges, restored after the user has panned or zoomed.
    void Restaure_Plages();

signals:
    // Mouse events in widget pixels; the middle button is handled by the plot itself.
    void sourisEnfoncee(Qt::MouseButton bouton, double x, double y);
    void sourisDeplacee(Qt::MouseButtons boutons, double x, double y);
    void sourisRelachee(Qt::MouseButton bouton, double x, double y);
    // A left click on a text item (index), or on nothing (-1).
    void annotationCliquee(int index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void majAnnotation(int i);
    // The unrotated text rectangle of item i, relative to its point, in pixels.
    QRectF rectangleTexte(int i) const;
    bool panEnCours_ = false;
    double panDepart_ = 0;
    QCPRange panPlage_;
    std::vector<std::unique_ptr<Courbe>> courbes_;
    std::vector<Annotation> annotations_;
    std::vector<QCPItemText*> items_;
    QSharedPointer<QCPAxisTickerText> tickX_;
    QSharedPointer<QCPAxisTickerText> tickY_;
    double minX_ = 0, maxX_ = 350, minY_ = 0, maxY_ = 100;
    friend class Courbe;
};

} // namespace varnel
