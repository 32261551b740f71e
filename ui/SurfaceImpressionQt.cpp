#include "ui/SurfaceImpressionQt.h"

#include <QBuffer>
#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <filesystem>

#include "config/Parametres.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "devices/Capture.h"

namespace {

constexpr int ResolutionPdf = 600;

// "nom.pdf" for the first job, "nom-2.pdf" for the second…
std::string NomDuTravail(const std::string& fichier, int travail) {
    if (travail <= 1) return fichier;
    const std::filesystem::path p(fichier);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(travail) + p.extension().string())).string();
}

// A fresh name by date and time in `dossier`, as the screenshots are named.
std::string NomDate(const std::string& dossier) {
    const QDateTime t = QDateTime::currentDateTime();
    const THeureLocale h{t.date().year(), t.date().month(), t.date().day(), t.date().dayOfWeek() % 7,
                         t.time().hour(), t.time().minute(), t.time().second(), t.time().msec()};
    std::string erreur;
    const std::string nom = CheminHorodateLibre(dossier, h, ".pdf", erreur);
    return nom.empty() ? dossier + NomHorodate(h, ".pdf") : nom;
}

// The printer named in the settings, else the default one (null when none
// is installed).
QPrinterInfo ImprimanteChoisie(const std::string& nom) {
    if (nom != ImprimanteDefaut) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(nom));
        if (!info.isNull()) return info;
    }
    return QPrinterInfo::defaultPrinter();
}

} // namespace

struct TSurfaceImpressionQt::TEtat {
    // A window-less application made for the command-line tool: first
    // member, last destroyed.
    int Argc = 1;
    char NomProgramme[5] = "zorv";
    char* Argv[2] = {NomProgramme, nullptr};
    std::unique_ptr<QGuiApplication> Application;

    const TParametres* Parametres = nullptr;
    std::string FichierPdf; // fixed file of every job (command-line tool)
    bool ToujoursPdf = false;
    TSignaleStatut Statut;
    int NbTravaux = 0;
    int NbEchecs = 0;

    std::unique_ptr<QPrinter> Imprimante;
    QByteArray Octets;
    QBuffer Tampon;
    std::unique_ptr<QPdfWriter> Pdf;
    QPainter Peintre;
    std::string Destination, DerniereDestination;
    bool DestinationFichier = false;

    int Points = 11;
    bool Gras = false, Italique = false;

    QPagedPaintDevice* Appareil() const {
        if (Pdf) return Pdf.get();
        return Imprimante.get();
    }
    QFont Police() const {
        QFont f(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::TypeWriter);
        f.setPointSize(Points);
        f.setBold(Gras);
        f.setItalic(Italique);
        return f;
    }
    void AppliquePolice() {
        if (Peintre.isActive()) Peintre.setFont(Police());
    }
    QFontMetrics Mesures() const {
        if (Peintre.isActive()) return Peintre.fontMetrics();
        if (QPaintDevice* d = Appareil()) return QFontMetrics(Police(), d);
        return QFontMetrics(Police());
    }
    void Signale(const std::string& texte) const {
        if (Statut) Statut(texte);
    }
    bool OuvrePdf(const std::string& fichier) {
        Destination = fichier;
        DestinationFichier = true;
        Octets.clear();
        Tampon.setBuffer(&Octets);
        Tampon.open(QIODevice::WriteOnly);
        Pdf = std::make_unique<QPdfWriter>(&Tampon);
        Pdf->setResolution(ResolutionPdf);
        Pdf->setPageSize(QPageSize(QPageSize::A4));
        Pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
        Pdf->setCreator(QStringLiteral("Emulateur Zorvex"));
        Pdf->setTitle(QString::fromStdString(NomSansDossier(fichier)));
        return Peintre.begin(Pdf.get());
    }
    bool OuvreImprimante(const QPrinterInfo& info) {
        Destination = "l'imprimante " + info.printerName().toStdString();
        DestinationFichier = false;
        Imprimante = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        Imprimante->setDocName(QStringLiteral("Emulateur Zorvex"));
        return Peintre.begin(Imprimante.get());
    }
    void Ferme() {
        Pdf.reset();
        Tampon.close();
        Imprimante.reset();
    }
    // The finished PDF, beside which nothing half-written is ever left.
    void EnregistrePdf() {
        std::string erreur;
        std::error_code ec;
        if (FichierPdf.empty()) std::filesystem::create_directories(DossierDe(Destination), ec);
        if (EcritFichierAtomique(Destination, Octets.constData(), size_t(Octets.size()), erreur))
            Signale("Impression enregistr\u00e9e dans " + Destination);
        else {
            ++NbEchecs;
            Signale("Impression perdue : " + erreur);
        }
        Octets.clear();
    }
};

TSurfaceImpressionQt::TSurfaceImpressionQt() : F(std::make_unique<TEtat>()) {}

TSurfaceImpressionQt::TSurfaceImpressionQt(const TParametres& p, TSignaleStatut statut, bool toujoursPdf)
    : TSurfaceImpressionQt() {
    F->Parametres = &p;
    F->Statut = std::move(statut);
    F->ToujoursPdf = toujoursPdf;
}

std::unique_ptr<TSurfaceImpressionQt> TSurfaceImpressionQt::VersPdf(const std::string& fichier,
                                                                   TSignaleStatut statut) {
    std::unique_ptr<TSurfaceImpressionQt> s(new TSurfaceImpressionQt());
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        s->F->Application = std::make_unique<QGuiApplication>(s->F->Argc, s->F->Argv);
    }
    s->F->FichierPdf = fichier;
    s->F->Statut = std::move(statut);
    return s;
}

TSurfaceImpressionQt::~TSurfaceImpressionQt() {
    if (F->Peintre.isActive()) F->Peintre.end();
    F->Ferme();
}

bool TSurfaceImpressionQt::DebutDocument() {
    TEtat& f = *F;
    if (f.Peintre.isActive()) return true;
    ++f.NbTravaux;
    bool ouvert;
    if (!f.FichierPdf.empty()) {
        ouvert = f.OuvrePdf(NomDuTravail(f.FichierPdf, f.NbTravaux));
    } else {
        const QPrinterInfo info = f.ToujoursPdf ? QPrinterInfo() : ImprimanteChoisie(f.Parametres->Imprimante);
        ouvert = info.isNull() ? f.OuvrePdf(NomDate(AvecSeparateur(f.Parametres->ProgDir + "Impressions")))
                               : f.OuvreImprimante(info);
    }
    if (!ouvert) {
        ++f.NbEchecs;
        f.Signale("Impression impossible vers " + f.Destination);
        f.Ferme();
        return false;
    }
    f.AppliquePolice();
    return true;
}

void TSurfaceImpressionQt::FinDocument() {
    TEtat& f = *F;
    if (!f.Peintre.isActive()) return;
    f.Peintre.end();
    const bool fichier = f.DestinationFichier;
    f.Ferme();
    if (fichier)
        f.EnregistrePdf();
    else
        f.Signale("Impression envoy\u00e9e \u00e0 " + f.Destination);
    f.DerniereDestination = f.Destination;
}

void TSurfaceImpressionQt::NouvellePage() {
    if (QPagedPaintDevice* d = F->Appareil(); d && F->Peintre.isActive()) d->newPage();
}

int TSurfaceImpressionQt::PixelsParPouceX() const {
    const QPaintDevice* d = F->Appareil();
    return d ? d->logicalDpiX() : 0;
}

int TSurfaceImpressionQt::PixelsParPouceY() const {
    const QPaintDevice* d = F->Appareil();
    return d ? d->logicalDpiY() : 0;
}

int TSurfaceImpressionQt::LargeurPage() const {
    const QPaintDevice* d = F->Appareil();
    return d ? d->width() : 0;
}

int TSurfaceImpressionQt::HauteurPage() const {
    const QPaintDevice* d = F->Appareil();
    return d ? d->height() : 0;
}

void TSurfaceImpressionQt::ChoisitTaillePolice(int points) {
    F->Points = points > 0 ? points : 1;
    F->AppliquePolice();
}

void TSurfaceImpressionQt::ChoisitStyle(bool gras, bool italique) {
    F->Gras = gras;
    F->Italique = italique;
    F->AppliquePolice();
}

int TSurfaceImpressionQt::LargeurTexte(const std::string& texte) {
    return F->Mesures().horizontalAdvance(QString::fromStdString(texte));
}

// The height of a line of the font, as a text's height is measured on the
// printer: ascent and descent, whatever the letters.
int TSurfaceImpressionQt::HauteurTexte(const std::string&) { return F->Mesures().height(); }

void TSurfaceImpressionQt::DessineTexte(int x, int y, const std::string& texte) {
    if (!F->Peintre.isActive()) return;
    F->Peintre.drawText(x, y + F->Peintre.fontMetrics().ascent(), QString::fromStdString(texte));
}

void TSurfaceImpressionQt::DessineBitmap(int x, int y, int largeurDest, int hauteurDest, const uint8_t* bgr,
                                         int largeur, int hauteur) {
    if (!F->Peintre.isActive() || !bgr || largeur <= 0 || hauteur <= 0) return;
    const QImage image(bgr, largeur, hauteur, largeur * 3, QImage::Format_BGR888);
    F->Peintre.drawImage(QRect(x, y, largeurDest, hauteurDest), image);
}

const std::string& TSurfaceImpressionQt::DerniereDestination() const { return F->DerniereDestination; }

int TSurfaceImpressionQt::NbEchecs() const { return F->NbEchecs; }
