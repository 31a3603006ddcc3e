#pragma once

#include <QString>

// How a value is escaped before it replaces a placeholder in a template.
enum class EscapeMode {
    Plain = 0,  // inserted as it is (after line-end normalisation)
    Script = 1, // inside a double-quoted script string literal
    Html = 2,   // inside HTML markup or a double-quoted attribute
};

// Placeholder substitution for the page, header and server-script templates,
// and file-name-safe text. All functions are pure: they return a new string
// and leave their arguments alone.
class CustomReplace
{
public:
    // Replaces every occurrence of `target` in `text` by `replacement` escaped
    // for `mode`. The replacement (a null one counts as "") first has its line
    // ends normalised ("\r\n", then a lone "\r", become "\n") and is then
    // escaped:
    //   Plain:  nothing further.
    //   Script: "\" -> "\\" (first, so the value's own backslashes survive),
    //           '"' -> "\"", line feed -> "\n" (backslash, n), "</" -> "<\/"
    //           and "<!--" -> "<\!--" (so a value can never end or upset the
    //           enclosing <script> element), U+2028/U+2029 -> "\u2028"/"\u2029"
    //           (line terminators in older script engines). Single quotes stay.
    //   Html:   '"' -> "&quot;", "'" -> "&#39;", line feed -> "<br />".
    //           "&", "<" and ">" are NOT touched: values may carry markup.
    // The target is matched literally and case-sensitively, left to right,
    // without overlaps; inserted text is never searched again. The target
    // itself is not escaped. An empty target leaves the text unchanged.
    static QString stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                              const QString &target,
                                                              const QString &replacement,
                                                              EscapeMode mode);
    // Stored escape-mode value: 1 script, 2 html, any other value plain.
    static QString stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                              const QString &target,
                                                              const QString &replacement,
                                                              int mode);
    // Plain mode.
    static QString stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                              const QString &target,
                                                              const QString &replacement);

    static EscapeMode escapeModeFromInt(int mode);

    // Escapes a value for the inside of a PHP single-quoted string literal:
    // "\" -> "\\" and "'" -> "\'". PHP never interpolates such a literal, so
    // "$" and "{" are safe; line breaks are kept as they are. Null stays null.
    // Use it before a plain-mode replacement into a '...' literal of a .php
    // template.
    static QString phpSingleQuoted(const QString &value);

    // A file-name-safe form: every character that is not a letter, mark or
    // digit (any script) nor one of ".", "-", "_" becomes one "-". Runs are not
    // collapsed and case is kept: "My Shirt (red).jpg" -> "My-Shirt--red-.jpg".
    // Works per code point, so a character outside the BMP gives one "-" (or
    // is kept when it is a letter or digit).
    static QString webSafe(const QString &text);

    // Each character (code point) for which keep is false becomes one
    // replacement; runs are not collapsed. Null stays null, "" stays "".
    static QString replacingCharacters(const QString &text, bool (*keep)(char32_t), QChar replacement);
    // Unicode letters, marks and decimal digits.
    static bool isLetterMarkOrDigit(char32_t ucs4);

    // The replacement after line-end normalisation and escaping for `mode`.
    static QString escaped(const QString &replacement, EscapeMode mode);
};
