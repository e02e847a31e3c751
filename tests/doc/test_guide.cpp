// The user guide is built with the program: it must be a real, multi-page PDF in the
// program's directory of the build tree, where the window's "Aide" opens it.
#include <QFile>
#include <gtest/gtest.h>

TEST(Guide, MultiPagePdfBesideTheProgram) {
    QFile pdf(QStringLiteral(VARNEL_BUILD_DIR "/Utilisation de Varnel.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << "guide missing: " << VARNEL_BUILD_DIR;
    const QByteArray contenu = pdf.readAll();
    EXPECT_TRUE(contenu.startsWith("%PDF-"));
    EXPECT_TRUE(contenu.trimmed().endsWith("%%EOF"));

    // One "/Type /Page" object per page; "/Type /Pages" is the page tree, not a page.
    int pages = 0;
    for (qsizetype i = contenu.indexOf("/Type /Page"); i >= 0; i = contenu.indexOf("/Type /Page", i + 1)) {
        if (contenu.mid(i + 11, 1) != "s") ++pages;
    }
    EXPECT_GE(pages, 12);
}
