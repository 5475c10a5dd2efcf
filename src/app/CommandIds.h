#pragma once

namespace korvane::cmd {

// Command ids. The numbers are the program's own (and those of the frame's standard commands),
// so a command can be sent by number from anywhere: menus, keys, tests.

// Sounding commands handled by the view.
inline constexpr int Load = 32771;
inline constexpr int ViewOriginalWaves = 32773;
inline constexpr int ViewFilteredWaves = 32774;
inline constexpr int ViewCrossCorrelationVelocity = 32775;
inline constexpr int ViewVelocityData = 32776;
inline constexpr int Configurations = 32777;
inline constexpr int ViewDetermination = 32780;
inline constexpr int RunCrossCorrelation = 32782;
// Commands without a menu item: they act only when sent by id.
inline constexpr int ShowRawAutocorrelations = 32783;
inline constexpr int Nothing32784 = 32784;
inline constexpr int AutocorrelateRawWaves = 32785;
inline constexpr int AutocorrelateFilteredWaves = 32786;
inline constexpr int ShowCorrelationFunctions = 32787;
inline constexpr int ShowSpareWaves = 32788;
inline constexpr int ShowSpareTable = 32789;
inline constexpr int ShowAlignedWindows = 32790;
inline constexpr int ShowPhaseVelocity = 32791;
// File > Export Plot...: the plot as a PNG, SVG or PDF file.
inline constexpr int FileExportPlot = 32800;
// View > More Displays > Filtered Autocorrelations: shows the last run's curves again.
inline constexpr int ShowFilteredAutocorrelations = 32810;
// View > Zoom to Fit and View > Scale Each Row.
inline constexpr int ViewZoomToFit = 32812;
inline constexpr int ViewScaleEachRow = 32813;
// Run > Propose Windows and Run > Analysis Settings...
inline constexpr int RunProposeWindows = 32814;
inline constexpr int RunAnalysisSettings = 32815;
// File > Sounding Properties..., Export AGS... and Export Report...
inline constexpr int FileSoundingProperties = 32841;
inline constexpr int FileExportAgs = 32842;
inline constexpr int FileExportReport = 32843;

// Standard frame commands.
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileClose = 57602;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int FilePrintSetup = 57606;
inline constexpr int FilePrint = 57607;
inline constexpr int FilePrintDirect = 57608;
inline constexpr int FilePrintPreview = 57609;
// The recent documents of the File menu, newest first.
inline constexpr int FileMru1 = 57616;
inline constexpr int FileMru2 = 57617;
inline constexpr int FileMru3 = 57618;
inline constexpr int FileMru4 = 57619;
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditUndo = 57643;
inline constexpr int EditRedo = 57644;
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;

} // namespace korvane::cmd
