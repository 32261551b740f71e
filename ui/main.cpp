// emulzorv: the emulator's main window.
//   emulzorv [--load-state FICHIER] [--record|--replay FICHIER]  (see ui/OptionsLigne.h)
//   EMULZORV_MESURE=s  run s seconds, print the instructions per second, the
//                      T-states per second against the clock, the processor
//                      time the program used, and the slowest key delivery,
//                      then close. EMULZORV_MESURE_REPOS=1: no keys are sent
//                      (the machine waits at its prompt).
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/Texte.h"
#include "ui/FiltreClavier.h"
#include "ui/MainForm.h"
#include "ui/OptionsLigne.h"

namespace {

// Measurement mode: instructions per second over the run, and how long a key
// posted to the screen takes to reach the keyboard queue.
struct TMesure {
    QElapsedTimer Horloge;
    uint64_t Instructions0 = 0;
    uint64_t Cycles0 = 0;
    std::clock_t Cpu0 = 0;
    qint64 Debut = 0;
    qint64 EnvoiCle = -1;
    qint64 PireDelaiNs = 0;
    qint64 TotalDelaiNs = 0;
    int Cles = 0;
};

void LanceMesure(TMainForm& f, TMesure& mesure, double secondes) {
    TInspection& porte = f.Porte();
    mesure.Horloge.start();
    f.FiltreClavier().SurTraduction = [&mesure, &porte] {
        if (mesure.EnvoiCle < 0) return;
        const qint64 delai = mesure.Horloge.nsecsElapsed() - mesure.EnvoiCle;
        mesure.PireDelaiNs = std::max(mesure.PireDelaiNs, delai);
        mesure.TotalDelaiNs += delai;
        mesure.EnvoiCle = -1;
        ++mesure.Cles;
        porte.VideClavier();
    };
    // Starts once the run loop runs (the run message was posted first).
    QTimer::singleShot(0, &f, [&mesure, &porte] {
        mesure.Debut = mesure.Horloge.nsecsElapsed();
        mesure.Instructions0 = porte.Instructions();
        mesure.Cycles0 = porte.Cycles();
        mesure.Cpu0 = std::clock();
    });
    const char* repos = std::getenv("EMULZORV_MESURE_REPOS");
    const bool sansTouches = repos && repos[0] == '1';
    auto* cles = new QTimer(&f);
    QObject::connect(cles, &QTimer::timeout, &f, [&f, &mesure] {
        mesure.EnvoiCle = mesure.Horloge.nsecsElapsed();
        QCoreApplication::postEvent(f.PaintBox1, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        QCoreApplication::postEvent(f.PaintBox1, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a"));
    });
    if (!sansTouches) cles->start(50);
    QTimer::singleShot(int(secondes * 1000), &f, [&f, &mesure, &porte] {
        const double duree = double(mesure.Horloge.nsecsElapsed() - mesure.Debut) / 1e9;
        const double ips = duree > 0 ? double(porte.Instructions() - mesure.Instructions0) / duree : 0;
        std::printf("instructions par seconde : %s\n", NombreFr(ips, 0).c_str());
        const double etats = duree > 0 ? double(porte.Cycles() - mesure.Cycles0) / duree : 0;
        const double khz = double(f.Hote().HorlogeKHz());
        std::printf("états T par seconde : %s (%s %% de %s kHz, %s)\n", NombreFr(etats, 0).c_str(),
                    NombreFr(etats / (khz * 10.0), 2).c_str(), NombreFr(khz, 0).c_str(),
                    f.Hote().VitesseReelle() ? "vitesse réelle" : "vitesse maximale");
        const double cpu = double(std::clock() - mesure.Cpu0) / CLOCKS_PER_SEC;
        std::printf("temps processeur : %s s sur %s s (%s %% d'un cœur)\n", NombreFr(cpu, 3).c_str(),
                    NombreFr(duree, 3).c_str(), NombreFr(duree > 0 ? cpu / duree * 100 : 0.0, 1).c_str());
        std::printf("touches : %s, délai jusqu'à la file : moyen %s ms, maximal %s ms\n",
                    NombreFr(int64_t(mesure.Cles)).c_str(),
                    NombreFr(mesure.Cles ? double(mesure.TotalDelaiNs) / mesure.Cles / 1e6 : 0.0, 2).c_str(),
                    NombreFr(double(mesure.PireDelaiNs) / 1e6, 2).c_str());
        std::fflush(stdout);
        f.close();
        // Leaves every event loop, a box's included.
        QCoreApplication::exit(0);
    });
}

} // namespace

int main(int argc, char** argv) {
    // The help needs no window system (the options of the window system are
    // only known once it has taken its own).
    const auto arguments = [&] { return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc); };
    if (const TOptionsLigne brute = LitOptionsLigne(arguments()); brute.Aide && brute.Erreur.empty()) {
        std::fputs(UsageEmulZorv().c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("EmulZorv"));
    QTranslator traduction;
    if (traduction.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduction);

    // What the window system left of the command line.
    const TOptionsLigne ligne = LitOptionsLigne(arguments());
    if (!ligne.Erreur.empty()) {
        std::fprintf(stderr, "emulzorv : %s\n%s", ligne.Erreur.c_str(), UsageEmulZorv().c_str());
        return 2;
    }
    if (ligne.Aide) {
        std::fputs(UsageEmulZorv().c_str(), stdout);
        return 0;
    }
    TOptionsFenetre options;
    options.ProgDir = QApplication::applicationDirPath().toStdString();
    options.EtatAuDemarrage = ligne.EtatACharger;
    options.SessionAEnregistrer = ligne.SessionAEnregistrer;
    options.SessionARejouer = ligne.SessionARejouer;
    TMainForm fenetre(options);
    fenetre.show();

    TMesure mesure;
    if (const char* s = std::getenv("EMULZORV_MESURE")) {
        const double secondes = std::atof(s);
        if (secondes > 0) LanceMesure(fenetre, mesure, secondes);
    }
    const int statut = app.exec();
    // A ROM image that could not be loaded closed the window: not a success.
    return fenetre.ChargementReussi() ? statut : 1;
}
