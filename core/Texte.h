// Text helpers shared by the settings file, the symbol lists, the assembler,
// the command-line tool and the disk tools.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Space, tab, CR, LF, form feed, vertical tab.
bool EstBlanc(char c);
// Blanks removed at both ends.
std::string SansBlancs(std::string_view s);
// ASCII letters compared without regard to case (other bytes as they are).
bool EgalSansCasse(std::string_view a, std::string_view b);
// ASCII letters upper-cased, other bytes kept.
std::string EnMajuscules(std::string_view s);
// The file name without its folder ('/' and '\\' both separate).
std::string NomSansDossier(const std::string& chemin);
// The folder part with one trailing separator; empty when there is none.
std::string DossierDe(const std::string& chemin);
// Folder with exactly one trailing separator (empty gives "./").
std::string AvecSeparateur(const std::string& dossier);
// 788480 with separator " " gives "788 480".
std::string FormateMilliers(int64_t valeur, const std::string& separateur);

// Numbers shown to the user, in French whatever the host's locale: digits
// grouped by three with a narrow no-break space (U+202F), "." before the
// decimals. 1261568 gives "1 261 568"; NombreFr(11045.4, 0) gives
// "11 045", NombreFr(35.344, 2) "35.34".
inline constexpr const char* SeparateurMilliersFr = "\u202f";
std::string NombreFr(int64_t valeur);
std::string NombreFr(double valeur, int decimales);
// The text as it may be shown on a terminal: valid UTF-8 kept, control
// characters and bytes that are not valid UTF-8 written \xHH.
std::string TexteVisible(std::string_view s);
// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
