#pragma once

#include <string_view>

namespace tidewell::fuzz {

void RunProjectDocument(std::string_view input);
void RunMarkupScan(std::string_view input);
void RunPeReader(std::string_view input);
void RunVersionReader(std::string_view input);
void RunIconImage(std::string_view input);
void RunResourceEditor(std::string_view input);
void RunZipEntries(std::string_view input);
void RunBitmap(std::string_view input);
void RunVariables(std::string_view input);
void RunServerFile(std::string_view input);
void RunSignatureFile(std::string_view input);
void RunClientZip(std::string_view input);
void RunJournal(std::string_view input);
void RunInstallationState(std::string_view input);

}  // namespace tidewell::fuzz
