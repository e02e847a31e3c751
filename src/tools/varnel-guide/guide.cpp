// varnel-guide: turns the user guide's HTML source into "Utilisation de Varnel.pdf".
//
//   varnel-guide SOURCE.html OUTPUT.pdf VERSION [IMAGE_DIR...]
//
// The page is A4 with fixed margins. The first page is a title page, the second the
// table of contents (built from the <h1>/<h2> headings with their page numbers), then
// the text laid out by QTextDocument, with the guide's name and the page number in a
// footer. Pictures named in <img src="..."> are looked for in the IMAGE_DIRs in order.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Resolution = 300; // dots per inch of the PDF's coordinate space

double mm(double millimetres) {
    return millimetres / 25.4 * Resolution;
}

const QColor Bleu(0x1f, 0x4e, 0x8c);
const QColor Vert(0x00, 0x80, 0x00);
const QColor Gris(0x60, 0x60, 0x60);

// A document that finds its pictures in a list of directories.
class DocumentGuide : public QTextDocument {
public:
    explicit DocumentGuide(QStringList dossiers) : dossiers_(std::move(dossiers)) {}

    QSet<QString> manquantes; // pictures named by the source but found nowhere

protected:
    QVariant loadResource(int type, const QUrl& nom) override {
        if (type != QTextDocument::ImageResource) return QTextDocument::loadResource(type, nom);
        for (const QString& dossier : dossiers_) {
            const QString chemin = QDir(dossier).filePath(nom.path());
            if (QFileInfo::exists(chemin)) {
                QImage image(chemin);
                if (!image.isNull()) return image;
            }
        }
        if (!manquantes.contains(nom.path())) {
            std::fprintf(stderr, "varnel-guide: image introuvable : %s\n", qPrintable(nom.path()));
            manquantes.insert(nom.path());
        }
        // A grey box in its place keeps the layout sound and shows what is missing.
        QImage vide(640, 120, QImage::Format_RGB32);
        vide.fill(QColor(0xe8, 0xe8, 0xe8));
        QPainter p(&vide);
        p.drawText(vide.rect(), Qt::AlignCenter, QStringLiteral("image manquante : ") + nom.path());
        return vide;
    }

private:
    QStringList dossiers_;
};

struct Titre {
    int niveau;
    QString texte;
    int page; // 0-based page of the text part
};

struct Mise_En_Page {
    QRectF page;  // the whole sheet
    QRectF texte; // the area the text flows in
    double pied;  // baseline of the footer
};

// QTextDocument has no "keep with next". Returns the first block that must start a
// new page, or -1: a heading that would end a page with too little room after it, or
// a picture whose caption (the next block) would start on the following page. Blocks
// that already start a page are skipped.
int Bloc_A_Repousser(const QTextDocument& doc, double hauteur_page, double place_min) {
    QAbstractTextDocumentLayout* mise_en_page = doc.documentLayout();
    auto page = [&](double y) { return std::floor((y + 1.0) / hauteur_page); };
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat format = b.blockFormat();
        if (format.pageBreakPolicy() != QTextFormat::PageBreak_Auto) continue;
        const QRectF r = mise_en_page->blockBoundingRect(b);
        if (format.headingLevel() > 0 && (page(r.top()) + 1.0) * hauteur_page - r.bottom() < place_min)
            return b.blockNumber();
        const bool image = b.text().contains(QChar::ObjectReplacementCharacter);
        if (image && b.next().isValid() &&
            page(mise_en_page->blockBoundingRect(b.next()).bottom() - 2.0) > page(r.top()))
            return b.blockNumber();
    }
    return -1;
}

Mise_En_Page Calcule_Mise_En_Page(const QPdfWriter& pdf) {
    Mise_En_Page m;
    m.page = QRectF(0, 0, pdf.width(), pdf.height());
    m.texte = m.page.adjusted(mm(22), mm(20), -mm(22), -mm(24));
    m.pied = m.page.bottom() - mm(13);
    return m;
}

void Pied_De_Page(QPainter& p, const Mise_En_Page& m, int numero) {
    p.save();
    p.setPen(QPen(Gris, mm(0.2)));
    const double y = m.pied - mm(5);
    p.drawLine(QPointF(m.texte.left(), y), QPointF(m.texte.right(), y));
    QFont f("Liberation Sans");
    f.setPointSizeF(8.5);
    p.setFont(f);
    const QRectF zone(m.texte.left(), y + mm(1), m.texte.width(), mm(6));
    p.drawText(zone, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Utilisation de Varnel"));
    p.drawText(zone, Qt::AlignRight | Qt::AlignVCenter, QString::number(numero));
    p.restore();
}

// A small square wave: the start of the frame of identifier 123, drawn as on the bus.
void Onde_Decorative(QPainter& p, const QRectF& zone, const QColor& couleur) {
    const QString bits = QStringLiteral("1110001001000110000010011010000101100011111111111");
    const double pas = zone.width() / static_cast<double>(bits.size());
    QPainterPath chemin;
    auto y = [&](QChar b) { return b == QLatin1Char('1') ? zone.top() : zone.bottom(); };
    chemin.moveTo(zone.left(), y(bits[0]));
    for (int i = 0; i < bits.size(); ++i) {
        const double x = zone.left() + i * pas;
        chemin.lineTo(x, y(bits[i]));
        chemin.lineTo(x + pas, y(bits[i]));
    }
    p.save();
    p.setPen(QPen(couleur, mm(0.6), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(chemin);
    p.restore();
}

void Page_De_Titre(QPainter& p, const Mise_En_Page& m, const QString& version, const QImage& fenetre) {
    p.save();
    const QRectF bandeau(0, 0, m.page.width(), mm(95));
    p.fillRect(bandeau, Bleu);
    Onde_Decorative(p, QRectF(mm(22), mm(70), m.page.width() - mm(44), mm(12)), QColor(0xa8, 0xd8, 0xa8));

    p.setPen(Qt::white);
    QFont titre("Liberation Sans");
    titre.setBold(true);
    titre.setPointSizeF(34);
    p.setFont(titre);
    p.drawText(QRectF(mm(22), mm(22), m.page.width() - mm(44), mm(20)), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Utilisation de Varnel"));
    QFont sous_titre("Liberation Sans");
    sous_titre.setPointSizeF(15);
    p.setFont(sous_titre);
    p.drawText(QRectF(mm(22), mm(44), m.page.width() - mm(44), mm(18)),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               QStringLiteral("La trame CAN bit par bit, le bit stuffing, le CRC et l'arbitrage"));

    double y = mm(110);
    if (!fenetre.isNull()) {
        const double largeur = m.texte.width();
        const double hauteur = largeur * fenetre.height() / fenetre.width();
        const QRectF cadre(m.texte.left(), y, largeur, hauteur);
        p.drawImage(cadre, fenetre);
        p.setPen(QPen(Gris, mm(0.3)));
        p.drawRect(cadre);
        y += hauteur + mm(12);
    }

    p.setPen(QColor(0x20, 0x20, 0x20));
    QFont corps("Liberation Serif");
    corps.setPointSizeF(13);
    p.setFont(corps);
    p.drawText(QRectF(m.texte.left(), y, m.texte.width(), mm(30)),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Guide de l'utilisateur pour les étudiants et les enseignants :\n"
                              "simulation d'une trame CAN 2.0A ou 2.0B et simulation de "
                              "l'arbitrage entre trois nœuds."));

    QFont pied("Liberation Sans");
    pied.setPointSizeF(10);
    p.setFont(pied);
    p.setPen(Gris);
    p.drawText(QRectF(m.texte.left(), m.page.bottom() - mm(30), m.texte.width(), mm(10)),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Varnel, version ") + version);
    p.restore();
}

// Draws the table of contents from `premiere` on; returns the number of pages it took.
int Sommaire(QPdfWriter& pdf, QPainter& p, const Mise_En_Page& m, const std::vector<Titre>& titres,
             int premiere_page_texte, bool dessine) {
    QFont f1("Liberation Sans");
    f1.setBold(true);
    f1.setPointSizeF(11.5);
    QFont f2("Liberation Serif");
    f2.setPointSizeF(10.5);
    QFont entete("Liberation Sans");
    entete.setBold(true);
    entete.setPointSizeF(22);

    int pages = 1;
    double y = m.texte.top();
    auto nouvelle_page = [&] {
        if (dessine) {
            Pied_De_Page(p, m, 1 + pages);
            pdf.newPage();
        }
        ++pages;
        y = m.texte.top();
    };
    if (dessine) {
        p.setFont(entete);
        p.setPen(Bleu);
        p.drawText(QRectF(m.texte.left(), y, m.texte.width(), mm(14)), Qt::AlignLeft,
                   QStringLiteral("Sommaire"));
    }
    y += mm(20);
    for (const Titre& t : titres) {
        const double hauteur = t.niveau == 1 ? mm(8) : mm(6);
        if (y + hauteur > m.texte.bottom()) nouvelle_page();
        if (t.niveau == 1) y += mm(2);
        if (dessine) {
            p.setFont(t.niveau == 1 ? f1 : f2);
            p.setPen(t.niveau == 1 ? Bleu : QColor(0x20, 0x20, 0x20));
            const double retrait = t.niveau == 1 ? 0 : mm(7);
            const QRectF ligne(m.texte.left() + retrait, y, m.texte.width() - retrait, hauteur);
            const QString numero = QString::number(premiere_page_texte + t.page);
            QFontMetricsF fm(p.font(), &pdf);
            const double l_num = fm.horizontalAdvance(numero);
            const QString texte = fm.elidedText(t.texte, Qt::ElideRight, ligne.width() - l_num - mm(12));
            p.drawText(ligne, Qt::AlignLeft | Qt::AlignTop, texte);
            p.drawText(ligne, Qt::AlignRight | Qt::AlignTop, numero);
            // dotted leader between the title and its page number
            const double x0 = ligne.left() + fm.horizontalAdvance(texte) + mm(2);
            const double x1 = ligne.right() - l_num - mm(2);
            const double yb = ligne.top() + fm.ascent();
            p.save();
            p.setPen(QPen(Gris, mm(0.35), Qt::DotLine));
            if (x1 > x0) p.drawLine(QPointF(x0, yb), QPointF(x1, yb));
            p.restore();
        }
        y += hauteur;
    }
    return pages;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: varnel-guide SOURCE.html SORTIE.pdf VERSION [DOSSIER_IMAGES...]\n");
        return 2;
    }
    const QString source = args[1];
    const QString sortie = args[2];
    const QString version = args[3];
    QStringList dossiers = args.mid(4);
    dossiers.prepend(QFileInfo(source).absolutePath());

    QFile fichier(source);
    if (!fichier.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "varnel-guide: impossible de lire %s\n", qPrintable(source));
        return 1;
    }
    const QString html = QString::fromUtf8(fichier.readAll());

    // Written to a temporary file first so that a failed run never leaves a
    // truncated guide where the program would open it.
    QSaveFile destination(sortie);
    if (!destination.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "varnel-guide: impossible d'écrire %s\n", qPrintable(sortie));
        return 1;
    }
    QPdfWriter pdf(&destination);
    pdf.setResolution(Resolution);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    pdf.setTitle(QStringLiteral("Utilisation de Varnel"));
    pdf.setCreator(QStringLiteral("Varnel ") + version);
    const Mise_En_Page m = Calcule_Mise_En_Page(pdf);

    // Lays the text out; each heading or picture that must not end a page gets a page
    // break before it and the text is laid out again from scratch (QTextDocument does not
    // reflow reliably after a format change once laid out without an event loop).
    std::unique_ptr<DocumentGuide> guide;
    std::vector<int> coupures;
    for (;;) {
        guide = std::make_unique<DocumentGuide>(dossiers);
        guide->documentLayout()->setPaintDevice(&pdf);
        QFont defaut("Liberation Serif");
        defaut.setPointSizeF(10.5);
        guide->setDefaultFont(defaut);
        guide->setDocumentMargin(0);
        guide->setHtml(html);
        for (int n : coupures) {
            const QTextBlock b = guide->findBlockByNumber(n);
            QTextBlockFormat format = b.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(b).setBlockFormat(format);
        }
        guide->setPageSize(m.texte.size());
        const int orphelin = Bloc_A_Repousser(*guide, m.texte.height(), mm(28));
        if (orphelin < 0 || coupures.size() > 50) break;
        coupures.push_back(orphelin);
    }
    DocumentGuide& doc = *guide;
    const int pages_texte = doc.pageCount();

    std::vector<Titre> titres;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int niveau = b.blockFormat().headingLevel();
        if (niveau < 1 || niveau > 2) continue;
        // The first line, not the block's rectangle (a page break before a heading shows
        // as space above its first line); one pixel of slack for the layout's rounding.
        const QRectF r = doc.documentLayout()->blockBoundingRect(b);
        const double y = r.top() + (b.layout()->lineCount() > 0 ? b.layout()->lineAt(0).y() : 0.0);
        const int page = static_cast<int>((y + 1.0) / m.texte.height());
        titres.push_back({niveau, b.text().simplified(), page});
    }

    // The window picture on the title page, when the build made one.
    QImage fenetre;
    for (const QString& dossier : dossiers) {
        const QString chemin = QDir(dossier).filePath(QStringLiteral("fenetre-trame.png"));
        if (fenetre.load(chemin)) break;
    }

    QPainter p(&pdf);
    p.setRenderHint(QPainter::Antialiasing);
    Page_De_Titre(p, m, version, fenetre);
    pdf.newPage();

    const int pages_sommaire = Sommaire(pdf, p, m, titres, 0, false);
    const int premiere = 2 + pages_sommaire; // 1-based number of the first text page
    Sommaire(pdf, p, m, titres, premiere, true);
    Pied_De_Page(p, m, 1 + pages_sommaire);

    for (int i = 0; i < pages_texte; ++i) {
        pdf.newPage();
        p.save();
        p.translate(m.texte.left(), m.texte.top() - i * m.texte.height());
        QAbstractTextDocumentLayout::PaintContext contexte;
        contexte.clip = QRectF(0, i * m.texte.height(), m.texte.width(), m.texte.height());
        p.setClipRect(contexte.clip);
        doc.documentLayout()->draw(&p, contexte);
        p.restore();
        Pied_De_Page(p, m, premiere + i);
    }
    p.end();

    if (!destination.commit()) {
        std::fprintf(stderr, "varnel-guide: impossible d'écrire %s\n", qPrintable(sortie));
        return 1;
    }
    std::printf("%s : %d pages\n", qPrintable(QFileInfo(sortie).fileName()),
                1 + pages_sommaire + pages_texte);
    return 0;
}
