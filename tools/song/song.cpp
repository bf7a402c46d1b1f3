#include "tools/song/song.h"

#include <sstream>

namespace song {

const char* generationName(Generation generation) { return signatureOf(generation).text; }

bool generationFromName(const std::string& name, Generation& generation) {
    for (const ModuleSignature& signature : ModuleSignatures)
        if (name == signature.text) {
            generation = signature.generation;
            return true;
        }
    return false;
}

std::string formatDiagnostics(const std::string& fileName, const std::vector<Diagnostic>& list) {
    std::ostringstream out;
    for (const Diagnostic& d : list) {
        out << fileName;
        if (d.line > 0) out << ":" << d.line;
        out << ": " << d.message << "\n";
    }
    return out.str();
}

}  // namespace song
