// The debugger's windows placed when they first show and remembered when
// they hide (config/DispositionFenetres.h): the first of a kind where the
// last one was left (or beside the CPU window), the next ones of that kind
// cascaded, all within the screen.
#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "config/DispositionFenetres.h"

class QWidget;

class TDispositionFenetres : public QObject {
public:
    // `ancre`: the CPU window, beside which the others open by default.
    explicit TDispositionFenetres(QWidget* ancre);

    // The settings file; empty: nothing is read or kept.
    std::function<std::string()> Chemin;
    void Suit(QWidget* w, TGenreFenetre genre);
    // The windows shown now keep their places (the program ends).
    void EnregistreOuvertes();
    // The frame's top-left corner and the client size.
    static TRect Geometrie(const QWidget* w);

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    QWidget* FAncre;
    std::map<QObject*, TGenreFenetre> FGenres;
    std::set<QObject*> FPlacees;

    void Place(QWidget* w, TGenreFenetre genre);
    void Enregistre(const QWidget* w, TGenreFenetre genre);
    int Rang(const QWidget* w, TGenreFenetre genre) const;
};
