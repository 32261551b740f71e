#include "disks/ControleurDsq.h"

#include <initializer_list>

#include "core/Machine.h"
#include "disks/Lecteurs.h"

namespace {

constexpr uint8_t CodesDisques[NbLecteurs] = {0x11, 0x12, 0x59, 0x5A, 0x5B, 0x5C};
constexpr uint8_t Preambule = 0xA5;
constexpr uint8_t Interrogation = 0x05;
constexpr int32_t TailleBloc = 32;
constexpr int32_t MaxMess = int32_t(std::tuple_size_v<TMessDsq>);
constexpr int32_t MaxEmis = int32_t(std::tuple_size_v<TMsgCtrlZorv>);

// Starts sending `octets` to the processor (state ecdEmetBuf).
void Emet(TMachine& m, std::initializer_list<uint8_t> octets) {
    int32_t n = 0;
    for (uint8_t o : octets) m.BufMsgZorv[size_t(n++)] = o;
    m.LgrBufMsgZor = n;
    m.IndBufMsgZor = 0;
    m.StatusCtrl = 0x81;
    m.EtatCtrlDsq = ecdEmetBuf;
}

void Emet(TMachine& m, std::initializer_list<uint8_t> octets, TEtatCtrlDsq apres) {
    Emet(m, octets);
    m.EtatApresEmi = apres;
}

// The 9-byte status reply; the processor then acknowledges it with one byte.
void EmetReponse(TMachine& m, uint8_t statut, uint8_t code) {
    const uint8_t erreur = statut == StatutSucces ? 0x00 : 0x04;
    Emet(m, {0xAA, 0xA5, 0x00, 0x00, statut, code, erreur, 0x00, uint8_t(statut ^ code ^ erreur)},
         ecdSommeStat);
}

uint8_t EtatDisque(const TMachine& m, int slot) {
    return m.Lecteurs ? m.Lecteurs->EtatDuDisque(slot) : 0;
}

// A host failure on an image: the machine gets the reply of an absent disk
// and the user the host's reason in an error box.
void EchecES(TMachine& m, const TErreurES& e, uint8_t code) {
    EmetReponse(m, StatutAbsent, code);
    if (m.Hote) m.Hote->MessageErreur(e.what());
}

int32_t SecteurCommande(const TMachine& m) { return m.BufMsgCtrl[0] | (m.BufMsgCtrl[1] << 8); }

void ExecLecture(TMachine& m) {
    const uint8_t code = m.BufMsgCtrl[2];
    const int slot = NumeroDisque(code);
    if (EtatDisque(m, slot) == 0) {
        EmetReponse(m, StatutAbsent, code);
        return;
    }
    try {
        m.Lecteurs->LireSecteur(slot, SecteurCommande(m), m.BufDataZorv.data());
    } catch (const TErreurES& e) {
        EchecES(m, e, code);
        return;
    }
    m.Lecteurs->SignaleActivite(slot, TOperationLecteur::Lecture);
    Emet(m, {0xAA, 0xA5, 0x01, 0x00, 0x00, 0x00, code, 0x00, uint8_t(code ^ 0x01)}, ecdSommeMsg);
    m.LgrDataZorv = TailleSecteur;
    m.IndDataZorv = 0;
    m.SomDataZorv = 0;
}

// Write and format: only on a writable disk; the reply tells success,
// protection, absence or a host failure.
template <typename TOperation>
void ExecModification(TMachine& m, TOperationLecteur genre, TOperation operation) {
    const uint8_t code = m.BufMsgCtrl[2];
    const int slot = NumeroDisque(code);
    const uint8_t etat = EtatDisque(m, slot);
    if (etat != 1) {
        EmetReponse(m, etat == 0 ? StatutAbsent : StatutProtege, code);
        return;
    }
    try {
        operation(*m.Lecteurs, slot);
    } catch (const TErreurES& e) {
        EchecES(m, e, code);
        return;
    }
    m.Lecteurs->SignaleActivite(slot, genre);
    EmetReponse(m, StatutSucces, code);
}

void ExecEcriture(TMachine& m) {
    ExecModification(m, TOperationLecteur::Ecriture, [&m](TLecteurs& l, int slot) {
        l.EcrireSecteur(slot, SecteurCommande(m), m.BufEcrSect.data());
    });
}

void ExecFormatage(TMachine& m) {
    ExecModification(m, TOperationLecteur::Formatage, [](TLecteurs& l, int slot) { l.FormaterDisque(slot); });
}

// The command header is complete: echo its checksum and expect the message.
void FinEntete(TMachine& m, uint8_t b) {
    Emet(m, {b, 0x00}, ecdMessage);
    m.IndMsgCtrl = 0;
    m.LgrMsgCtrl = m.BufEntete[0] * 256 + m.BufEntete[1] + 1;
    m.BufMsgCtrl.fill(0); // a short message names sector 0 of no drive
}

// The message is complete: echo its last byte; the command runs once the
// echo has been read.
void FinMessage(TMachine& m, uint8_t b) {
    Emet(m, {b});
    switch (m.BufEntete[4]) {
    case CmdLecture:
        m.EtatApresEmi = ecdAttente;
        m.ExecCmdLect = true;
        break;
    case CmdEcriture: m.EtatApresEmi = ecdPreambEcr; break;
    case CmdFormatage:
        m.EtatApresEmi = ecdAttente;
        m.ExecCmdFmt = true;
        break;
    default: m.EtatApresEmi = ecdAttente; break; // unknown command: back to idle
    }
}

// The data frame header of a write is complete: echo it and expect the data.
// Sector bytes the frame does not carry are written as zeros.
void FinEnteteEcr(TMachine& m, uint8_t b) {
    Emet(m, {b, 0x00}, ecdEcritSect);
    m.IndMsgCtrl = 0;
    m.LgrMsgCtrl = m.BufEnteteEcr[0] * 256 + m.BufEnteteEcr[1];
    m.BufEcrSect.fill(0);
    if (m.LgrMsgCtrl == 0) m.ExecCmdEcr = true; // no data: the write runs after this echo
}

void RecoitEntete(TMachine& m, TEnteteDsq& entete, uint8_t b, void (*fin)(TMachine&, uint8_t)) {
    if (m.IndEntete >= 0 && m.IndEntete < int32_t(entete.size())) entete[size_t(m.IndEntete)] = b;
    if (++m.IndEntete >= int32_t(entete.size())) fin(m, b);
}

void RecoitMessage(TMachine& m, uint8_t b) {
    if (m.IndMsgCtrl >= 0 && m.IndMsgCtrl < MaxMess) m.BufMsgCtrl[size_t(m.IndMsgCtrl)] = b;
    ++m.IndMsgCtrl;
    if (--m.LgrMsgCtrl <= 0) FinMessage(m, b);
}

// Write data: blocks of 32 bytes, each followed by its checksum. The last
// block ends with the data, whatever its length.
void RecoitDonnee(TMachine& m, uint8_t b) {
    if (m.IndMsgCtrl >= 0 && m.IndMsgCtrl < MaxMess) m.BufEcrSect[size_t(m.IndMsgCtrl)] = b;
    --m.LgrMsgCtrl;
    ++m.IndMsgCtrl;
    if (m.IndMsgCtrl % TailleBloc == 0 || m.LgrMsgCtrl <= 0) m.EtatCtrlDsq = ecdRecepSomEcr;
}

void RecoitSommeEcr(TMachine& m, uint8_t b) {
    Emet(m, {b});
    if (m.LgrMsgCtrl > 0) m.EtatApresEmi = ecdEcritSect;
    else m.ExecCmdEcr = true;
}

// One byte of the transmission in progress; at its end the pending command runs.
uint8_t EmetOctet(TMachine& m) {
    const int32_t i = m.IndBufMsgZor;
    const uint8_t r = i >= 0 && i < MaxEmis ? m.BufMsgZorv[size_t(i)] : 0;
    ++m.IndBufMsgZor;
    if (--m.LgrBufMsgZor > 0) {
        m.StatusCtrl = 0x81;
        return r;
    }
    m.LgrBufMsgZor = 0;
    m.StatusCtrl = 0x80;
    m.EtatCtrlDsq = m.EtatApresEmi;
    m.FinDeCmd = m.ExecCmdLect || m.ExecCmdEcr || m.ExecCmdFmt;
    if (m.ExecCmdLect) {
        m.ExecCmdLect = false;
        ExecLecture(m);
    }
    if (m.ExecCmdEcr) {
        m.ExecCmdEcr = false;
        ExecEcriture(m);
    }
    if (m.ExecCmdFmt) {
        m.ExecCmdFmt = false;
        ExecFormatage(m);
    }
    return r;
}

uint8_t EmetDonnee(TMachine& m) {
    const int32_t i = m.IndDataZorv;
    const uint8_t r = i >= 0 && i < MaxEmis ? m.BufDataZorv[size_t(i)] : 0;
    m.SomDataZorv ^= r;
    ++m.IndDataZorv;
    --m.LgrDataZorv;
    if (m.IndDataZorv % TailleBloc == 0 || m.LgrDataZorv <= 0) m.EtatCtrlDsq = ecdEmetSomme;
    m.StatusCtrl = 0x81;
    return r;
}

} // namespace

int NumeroDisque(uint8_t code) {
    for (int i = 0; i < NbLecteurs; ++i)
        if (CodesDisques[i] == (code & 0x7F)) return i + 1;
    return 0;
}

void EcritCtrlDsq(TMachine& m, uint8_t b) {
    switch (m.EtatCtrlDsq) {
    case ecdAttente:
        if (b == Interrogation) {
            Emet(m, {0xAA, 0x19}, ecdIgnore);
        } else if (b == Preambule) {
            m.IndEntete = 0;
            m.EtatCtrlDsq = ecdEntete;
        }
        break;
    case ecdIgnore: m.EtatCtrlDsq = ecdAttente; break;
    case ecdEntete: RecoitEntete(m, m.BufEntete, b, FinEntete); break;
    case ecdMessage: RecoitMessage(m, b); break;
    case ecdPreambEcr:
        if (b == Preambule) {
            m.IndEntete = 0;
            m.EtatCtrlDsq = ecdEnteteEcr;
        }
        break;
    case ecdEnteteEcr: RecoitEntete(m, m.BufEnteteEcr, b, FinEnteteEcr); break;
    case ecdEcritSect: RecoitDonnee(m, b); break;
    case ecdRecepSomEcr: RecoitSommeEcr(m, b); break;
    case ecdSommeData:
        if (m.LgrDataZorv > 0) {
            m.EtatCtrlDsq = ecdEmetData;
            m.StatusCtrl = 0x81;
        } else {
            m.EtatCtrlDsq = ecdAttente;
            m.StatusCtrl = 0x80;
        }
        break;
    case ecdSommeStat:
        m.EtatCtrlDsq = ecdAttente;
        m.StatusCtrl = 0x80;
        break;
    case ecdSommeMsg: m.EtatCtrlDsq = ecdZeroMsg; break;
    case ecdZeroMsg:
    case ecdZero:
        m.EtatCtrlDsq = ecdEmetData;
        m.StatusCtrl = 0x81;
        break;
    case ecdEmetBuf:
    case ecdEmetData:
    case ecdEmetSomme: break; // the controller is talking
    }
}

uint8_t LitCtrlDsq(TMachine& m) {
    switch (m.EtatCtrlDsq) {
    case ecdEmetBuf: return EmetOctet(m);
    case ecdEmetData: return EmetDonnee(m);
    case ecdEmetSomme: {
        const uint8_t r = m.SomDataZorv;
        m.SomDataZorv = 0;
        m.EtatCtrlDsq = ecdSommeData;
        m.StatusCtrl = 0x80;
        return r;
    }
    default: return 0;
    }
}

uint8_t LitStatusCtrlDsq(TMachine& m) {
    if (m.FinDeCmd) {
        m.FinDeCmd = false;
        return 0x80;
    }
    return m.StatusCtrl;
}
