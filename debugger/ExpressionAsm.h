// Expressions of the 8085 assembler: numbers (decimal, 0FFH, 1010B, 17O or
// 17Q, 12D), character constants ('c', 'cc'), $ (address of the current
// line), symbols, unary + - NOT HIGH LOW, binary * / MOD SHL SHR + - AND OR
// XOR and parentheses. Values are 32-bit signed; letter case is ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/Texte.h"

// A fault in a source line; the message is French and shown to the user.
struct TErreurSource : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TContexteExpr {
    // Value of a symbol (name in upper case), or nullopt when not (yet) defined.
    std::function<std::optional<int32_t>(const std::string&)> Symbole;
    int32_t Dollar = 0;
    // Conditions of the debugger: the comparisons = <> < > <= >= (true -1,
    // false 0, so that AND, OR and NOT combine them), binding looser than
    // + - and tighter than NOT AND OR XOR; and, when Octet is set, [ADR] for
    // a byte of memory.
    bool Comparaisons = false;
    std::function<int32_t(uint16_t)> Octet;
};

struct TValeurExpr {
    int32_t Valeur = 0;
    std::string NonDefini; // first undefined symbol met (value then meaningless), or ""
};

// Evaluates the whole text; throws TErreurSource on a syntax fault or a
// division by zero.
TValeurExpr EvalueExpression(const std::string& texte, const TContexteExpr& ctx);

// Operator words, which cannot name symbols.
bool EstOperateurMot(const std::string& motMajuscule);

// First character of a symbol name, and any following one.
bool EstDebutIdent(char c);
bool EstSuiteIdent(char c);

