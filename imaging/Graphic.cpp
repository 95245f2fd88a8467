#include "imaging/Graphic.h"

namespace sorvak {

void TGraphic::WriteToFile(const std::string& fileName) {
    WriteToFile(FilePath::FromName(fileName));
}

void TGraphic::WriteToFile(const FilePath& path) {
    CheckWritable();
    TFileStream stream(path);
    WriteToStream(stream);
    stream.Close();
}

} // namespace sorvak
