#include "imaging/Graphic.h"

namespace sorvak {

void TGraphic::WriteToFile(const std::string& fileName) {
    CheckWritable();
    TFileStream stream(fileName);
    WriteToStream(stream);
    stream.Close();
}

} // namespace sorvak
