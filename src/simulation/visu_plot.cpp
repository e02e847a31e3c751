#include "simulation/visu_plot.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

constexpr double EpaisseurTrait = 1.5;
// Gap between a label's point and the start of its text (anchor 3): the program's
// X shifts for labels and stuff marks are tuned for a text that starts this far
// right of its point, which centres it over its bit cell.
constexpr int EcartTexte = 8;
// A vertical label starts this far above its point, so that it begins above the
// emitter's recessive line (two units over the labels' Y) instead of crossing it.
constexpr int EcartDebutVertical = 10;
const QColor GrisGrille(215, 215, 215);

QFont policeTexte(double taille) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(taille > 0 ? taille : 8);
    return f;
}

// A text item clipped to the drawing area and the band above it up to the title:
// long vertical labels may run up into that band, while a text moved far out of
// range (Y 450, the program's way of hiding it) stays out of sight.
class TexteVisu : public QCPItemText {
public:
    explicit TexteVisu(VisuPlot* plot) : QCPItemText(plot), plot_(plot) { setSelectable(false); }

protected:
    QRect clipRect() const override { return plot_->Zone_Textes(); }

private:
    const VisuPlot* plot_;
};

} // namespace

QColor couleurQt(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// Draws one Courbe: a polyline through its points in insertion order, each segment
// in the colour of its end point, every Y raised by the trace's offset.
class CourbeDessin : public QCPAbstractPlottable {
public:
    CourbeDessin(QCPAxis* cle, QCPAxis* valeur, const Courbe* courbe)
        : QCPAbstractPlottable(cle, valeur), courbe_(courbe) {
        setSelectable(QCP::stNone);
    }

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }

    QCPRange getKeyRange(bool& trouve, QCP::SignDomain) const override {
        return plage(trouve, [](const PointTrace& p, double) { return p.x; });
    }
    QCPRange getValueRange(bool& trouve, QCP::SignDomain, const QCPRange&) const override {
        return plage(trouve, [](const PointTrace& p, double decal) { return p.y + decal; });
    }

protected:
    void draw(QCPPainter* painter) override {
        const auto& pts = courbe_->points_;
        if (pts.size() < 2 || !keyAxis() || !valueAxis()) return;
        applyDefaultAntialiasingHint(painter);
        painter->setBrush(Qt::NoBrush);
        // Consecutive segments of one colour are drawn as one polyline so that
        // their corners join cleanly.
        QPolygonF morceau{pixel(pts[0]), pixel(pts[1])};
        int couleur = pts[1].couleur;
        for (size_t i = 2; i < pts.size(); ++i) {
            if (pts[i].couleur != couleur) {
                trace(painter, morceau, couleur);
                morceau = QPolygonF{pixel(pts[i - 1])};
                couleur = pts[i].couleur;
            }
            morceau << pixel(pts[i]);
        }
        trace(painter, morceau, couleur);
    }

    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
        const int couleur = courbe_->points_.empty() ? 0 : courbe_->points_.back().couleur;
        painter->setPen(QPen(couleurQt(couleur), EpaisseurTrait));
        painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
    }

private:
    template <class F> QCPRange plage(bool& trouve, F valeur) const {
        const auto& pts = courbe_->points_;
        trouve = !pts.empty();
        if (!trouve) return {};
        QCPRange r(valeur(pts[0], courbe_->offset_), valeur(pts[0], courbe_->offset_));
        for (const auto& p : pts) r.expand(valeur(p, courbe_->offset_));
        return r;
    }

    QPointF pixel(const PointTrace& p) const {
        return {keyAxis()->coordToPixel(p.x), valueAxis()->coordToPixel(p.y + courbe_->offset_)};
    }

    static void trace(QCPPainter* painter, const QPolygonF& ligne, int couleur) {
        painter->setPen(QPen(couleurQt(couleur), EpaisseurTrait, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter->drawPolyline(ligne);
    }

    const Courbe* courbe_;
};

// ---- Courbe ----------------------------------------------------------------------

void Courbe::Ajoute_Point(double x, double y, int couleur) {
    points_.push_back({x, y, couleur});
    plot_->Rafraichit();
}

void Courbe::Couleur_Point(int i, int couleur) {
    points_.at(i).couleur = couleur;
    plot_->Rafraichit();
}

void Courbe::Efface_Points() {
    points_.clear();
    plot_->Rafraichit();
}

void Courbe::Decalage_Y(double offset) {
    offset_ = offset;
    plot_->Rafraichit();
}

// ---- VisuPlot --------------------------------------------------------------------

VisuPlot::VisuPlot(QWidget* parent) : QCustomPlot(parent) {
    setBackground(Qt::white);
    setMouseTracking(true); // the program follows the mouse without a button held

    plotLayout()->insertRow(0);
    QFont policeTitre(QStringLiteral("Arial"));
    policeTitre.setPointSizeF(10);
    policeTitre.setBold(true);
    plotLayout()->addElement(
        0, 0, new QCPTextElement(this, QStringLiteral("Simulation d'une trame CAN"), policeTitre));

    tickX_.reset(new QCPAxisTickerText);
    tickY_.reset(new QCPAxisTickerText);
    xAxis->setTicker(tickX_);
    yAxis->setTicker(tickY_);
    for (QCPAxis* axe : {xAxis, yAxis}) {
        axe->setTickLength(0, 0);
        axe->setSubTicks(false);
        axe->setTickLabelFont(policeTexte(8));
        axe->grid()->setPen(QPen(GrisGrille, 1, Qt::SolidLine));
        axe->grid()->setZeroLinePen(Qt::NoPen);
        axe->grid()->setSubGridVisible(false);
    }
    // A closed frame around the drawing area.
    for (QCPAxis* axe : {xAxis2, yAxis2}) {
        axe->setVisible(true);
        axe->setTicks(false);
        axe->setTickLabels(false);
    }
    Plage_X(minX_, maxX_);
    Plage_Y(minY_, maxY_);
    // Nothing is drawn on the overlay layer: drawn into the buffer of the layers under
    // it, it needs no picture of its own, which every replot cleared (the size of the
    // plot in memory, about a quarter of what the window touches at start-up).
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    // QCustomPlot queues a replot when it is made. A plot is replotted when it is first
    // shown (its first resize), and the queued replot would then draw it all a second
    // time: it is dropped, and the requests made before the plot is shown add none.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

VisuPlot::~VisuPlot() {
    // The drawings point into the Courbe objects: remove them first.
    clearItems();
    clearPlottables();
}

void VisuPlot::Plage_X(double min, double max) {
    minX_ = min;
    maxX_ = max;
    xAxis->setRange(min, max);
    Rafraichit();
}

void VisuPlot::Plage_Y(double min, double max) {
    minY_ = min;
    maxY_ = max;
    yAxis->setRange(min, max);
    Rafraichit();
}

double VisuPlot::Min_X() const {
    return minX_;
}
double VisuPlot::Max_X() const {
    return maxX_;
}
double VisuPlot::Min_Y() const {
    return minY_;
}
double VisuPlot::Max_Y() const {
    return maxY_;
}

// Tick labels are kept in a map, so adding a tick at a value that already has one
// replaces it: a repeated set-up never piles up duplicates.
void VisuPlot::Ajoute_Graduation_X(double valeur, const QString& texte) {
    tickX_->addTick(valeur, texte);
    Rafraichit();
}

void VisuPlot::Ajoute_Graduation_Y(double valeur, const QString& texte) {
    tickY_->addTick(valeur, texte);
    Rafraichit();
}

void VisuPlot::Efface_Graduations_X() {
    tickX_->clear();
    Rafraichit();
}

void VisuPlot::Efface_Graduations_Y() {
    tickY_->clear();
    Rafraichit();
}

QMap<double, QString> VisuPlot::Graduations_X() const {
    return tickX_->ticks();
}
QMap<double, QString> VisuPlot::Graduations_Y() const {
    return tickY_->ticks();
}

double VisuPlot::Pixel_Vers_X(double px) const {
    return xAxis->pixelToCoord(px);
}
double VisuPlot::X_Vers_Pixel(double x) const {
    return xAxis->coordToPixel(x);
}
double VisuPlot::Y_Vers_Pixel(double y) const {
    return yAxis->coordToPixel(y);
}

Courbe* VisuPlot::Ajoute_Courbe(const QString& nom) {
    courbes_.emplace_back(new Courbe(this, nom));
    Courbe* c = courbes_.back().get();
    auto* dessin = new CourbeDessin(xAxis, yAxis, c);
    dessin->setName(nom);
    c->dessin_ = dessin;
    Rafraichit();
    return c;
}

int VisuPlot::Ajoute_Annotation(double x, double y, int couleur) {
    Annotation a;
    a.x = x;
    a.y = y;
    a.couleur = couleur;
    annotations_.push_back(a);
    auto* item = new TexteVisu(this);
    items_.push_back(item);
    const int i = Nb_Annotations() - 1;
    majAnnotation(i);
    return i;
}

void VisuPlot::Modifie_Annotation(int i, const Annotation& a) {
    annotations_.at(i) = a;
    majAnnotation(i);
}

void VisuPlot::Deplace_Annotation(int i, double x, double y) {
    annotations_.at(i).x = x;
    annotations_.at(i).y = y;
    majAnnotation(i);
}

void VisuPlot::Texte_Annotation(int i, const QString& texte) {
    annotations_.at(i).texte = texte;
    majAnnotation(i);
}

void VisuPlot::Couleur_Annotation(int i, int couleur) {
    annotations_.at(i).couleur = couleur;
    majAnnotation(i);
}

void VisuPlot::Efface_Annotations() {
    for (QCPItemText* item : items_) removeItem(item);
    items_.clear();
    annotations_.clear();
    Rafraichit();
}

QRectF VisuPlot::rectangleTexte(int i) const {
    const Annotation& a = annotations_.at(i);
    const QFontMetricsF fm(policeTexte(a.taille));
    const QRectF r = fm.boundingRect(QRectF(), Qt::TextDontClip | Qt::AlignCenter, a.texte);
    const double l = r.width(), h = r.height();
    const bool centre = a.ancre == 4 || a.ancre == 5;
    if (a.ancre != 3 && !centre) return {0, -h / 2, l, h};
    // A horizontal text hangs below its point, clear of a line drawn just above it
    // (anchor 5: one line lower still).
    if (a.angle == 0) return {centre ? -l / 2 : EcartTexte, a.ancre == 5 ? h : 0, l, h};
    // Read along the rotated direction: starts a little above the point, lies
    // EcartTexte to the right of it once turned by 90 degrees (or across it).
    return {EcartDebutVertical, centre ? -h / 2 : EcartTexte, l, h};
}

void VisuPlot::majAnnotation(int i) {
    const Annotation& a = annotations_.at(i);
    QCPItemText* item = items_.at(i);
    item->position->setCoords(a.x, a.y);
    item->setText(a.texte);
    item->setColor(couleurQt(a.couleur));
    item->setFont(policeTexte(a.taille));
    item->setRotation(-a.angle); // the item turns clockwise, the program counter-clockwise
    // The item aligns its box (text plus padding) on the point; the padding carries
    // the gap, so the text itself lands where rectangleTexte() says.
    const QRectF r = rectangleTexte(i);
    item->setPadding(
        QMargins(static_cast<int>(std::max(0.0, r.left())), static_cast<int>(std::max(0.0, r.top())), 0, 0));
    item->setPositionAlignment((r.left() < 0 ? Qt::AlignHCenter : Qt::AlignLeft) |
                               (r.top() < 0 ? Qt::AlignVCenter : Qt::AlignTop));
    item->setVisible(a.visible);
    Rafraichit();
}

int VisuPlot::Annotation_Sous(double px, double py) const {
    const QPointF clic(px, py);
    if (!Zone_Textes().contains(clic.toPoint())) return -1; // texts are clipped there
    for (int i = 0; i < Nb_Annotations(); ++i) {
        const Annotation& a = annotations_[i];
        if (!a.visible || a.texte.isEmpty()) continue;
        const QPointF point(X_Vers_Pixel(a.x), Y_Vers_Pixel(a.y));
        // Bring the click into the text's own unrotated frame.
        QTransform versTexte;
        versTexte.rotate(a.angle);
        const QPointF local = versTexte.map(clic - point);
        if (rectangleTexte(i).contains(local)) return i;
    }
    return -1;
}

double VisuPlot::Centre_X_Annotation(int i) const {
    // Horizontal texts only: the cursor marker.
    const Annotation& a = annotations_.at(i);
    return Pixel_Vers_X(X_Vers_Pixel(a.x) + rectangleTexte(i).center().x());
}

void VisuPlot::Titre_Visible(bool visible) {
    // Drawn in no colour rather than removed: the plot keeps its layout.
    if (auto* titre = qobject_cast<QCPTextElement*>(plotLayout()->elementAt(0))) {
        titre->setTextColor(visible ? QColor(Qt::black) : QColor(Qt::transparent));
        Rafraichit();
    }
}

QRect VisuPlot::Zone_Textes() const {
    QRect zone = axisRect()->rect();
    const QCPLayoutElement* titre = plotLayout()->elementCount() > 1 ? plotLayout()->elementAt(0) : nullptr;
    if (titre) zone.setTop(titre->outerRect().bottom() + 1);
    return zone;
}

void VisuPlot::Rafraichit() {
    replot(rpQueuedReplot);
}

QImage VisuPlot::Image() {
    return toPixmap().toImage();
}

void VisuPlot::Restaure_Plages() {
    xAxis->setRange(minX_, maxX_);
    yAxis->setRange(minY_, maxY_);
    Rafraichit();
}

void VisuPlot::mousePressEvent(QMouseEvent* e) {
    const QPointF p = e->position();
    if (e->button() == Qt::MiddleButton) {
        panEnCours_ = true;
        panDepart_ = p.x();
        panPlage_ = xAxis->range();
        e->accept();
        return;
    }
    QCustomPlot::mousePressEvent(e);
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
    emit sourisEnfoncee(e->button(), p.x(), p.y());
    // A click on a text is reported on the press, after the press itself.
    if (e->button() == Qt::LeftButton) emit annotationCliquee(Annotation_Sous(p.x(), p.y()));
}

void VisuPlot::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = e->position();
    if (panEnCours_) {
        const double largeur = std::max(1, axisRect()->width());
        const double d = (panDepart_ - p.x()) / largeur * panPlage_.size();
        xAxis->setRange(panPlage_.lower + d, panPlage_.upper + d);
        Rafraichit();
        e->accept();
        return;
    }
    QCustomPlot::mouseMoveEvent(e);
    emit sourisDeplacee(e->buttons(), p.x(), p.y());
}

void VisuPlot::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = e->position();
    if (e->button() == Qt::MiddleButton) {
        panEnCours_ = false;
        e->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)
        emit sourisRelachee(e->button(), p.x(), p.y());
}

void VisuPlot::wheelEvent(QWheelEvent* e) {
    const double crans = e->angleDelta().y() / 120.0;
    if (crans != 0) {
        xAxis->scaleRange(std::pow(0.85, crans), xAxis->pixelToCoord(e->position().x()));
        Rafraichit();
    }
    e->accept();
}

} // namespace varnel
