#include "frontends/cli/output_plan.hpp"

#include <map>

#include "platform/files.hpp"

namespace peltrix::cli {

namespace {

const char* extensionOf(OutputKind kind) {
  switch (kind) {
    case OutputKind::Raw:
      return ".raw";
    case OutputKind::Program:
      return ".prg";
    case OutputKind::Png:
      break;
  }
  return ".png";
}

// The file name without its last extension ("cat.jpg" -> "cat"; a leading dot is no
// extension).
std::string stemOf(const std::string& path) {
  const std::string name = splitPath(path).name;
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void addFramePictures(std::vector<PlannedFile>& files, const std::string& prefix) {
  files.push_back({prefix + "-blend.png", OutputKind::Png, 0});
  for (int f = 1; f <= 3; ++f) {
    files.push_back({prefix + "-frame" + std::to_string(f) + ".png", OutputKind::Png, f});
  }
}

void addC64FramePictures(std::vector<PlannedFile>& files, const std::string& prefix) {
  for (int f = 1; f <= 3; ++f) {
    files.push_back({prefix + "-c64-frame" + std::to_string(f) + ".png", OutputKind::Png, f, true});
  }
}

std::vector<PlannedPicture> picturesOf(const Request& r) {
  std::vector<PlannedPicture> pictures;
  if (!r.batch()) {
    PlannedPicture p{r.inputs.at(0), {}};
    for (const Output& o : r.outputs) p.files.push_back({o.path, o.kind, 0});
    if (!r.framesPrefix.empty()) addFramePictures(p.files, r.framesPrefix);
    if (!r.c64FramesPrefix.empty()) addC64FramePictures(p.files, r.c64FramesPrefix);
    if (!r.eyePath.empty()) p.files.push_back({r.eyePath, OutputKind::Png, 0, false, true});
    if (!r.flickerMapPath.empty()) {
      p.files.push_back({r.flickerMapPath, OutputKind::Png, 0, false, false, true});
    }
    pictures.push_back(std::move(p));
    return pictures;
  }
  for (const std::string& input : r.inputs) {
    PlannedPicture p{input, {}};
    const std::string base = joinPath(r.outdir, stemOf(input));
    for (OutputKind kind : r.batchKinds) p.files.push_back({base + extensionOf(kind), kind, 0});
    if (r.batchFrames) addFramePictures(p.files, base);
    if (r.batchC64Frames) addC64FramePictures(p.files, base);
    if (r.batchEye) p.files.push_back({base + "-eye.png", OutputKind::Png, 0, false, true});
    if (r.batchFlickerMap) {
      p.files.push_back({base + "-flicker.png", OutputKind::Png, 0, false, false, true});
    }
    pictures.push_back(std::move(p));
  }
  return pictures;
}

// Whether two output paths name one file, also when neither exists yet: the same name in
// the same folder, however the folder is spelt.
bool samePlace(const std::string& a, const std::string& b) {
  if (a == b || sameFile(a, b)) return true;
  const PathParts pa = splitPath(a), pb = splitPath(b);
  if (fileNameKey(pa.name) != fileNameKey(pb.name)) return false;
  const std::string fa = pa.folder.empty() ? "." : pa.folder;
  const std::string fb = pb.folder.empty() ? "." : pb.folder;
  return fa == fb || sameFile(fa, fb);
}

void refuseOutputsThatAreInputs(const Request& r, const std::vector<PlannedPicture>& pictures) {
  for (const PlannedPicture& p : pictures) {
    for (const PlannedFile& f : p.files) {
      if (!pathExists(f.path)) continue;  // only an existing file can be an input
      for (const std::string& input : r.inputs) {
        if (sameFile(f.path, input)) {
          throw PlanError(f.path + " is the input picture " + input +
                          ": it is never overwritten; choose another output name");
        }
      }
    }
  }
}

void refuseClashes(const Request& r, const std::vector<PlannedPicture>& pictures) {
  struct Owner {
    const PlannedPicture* picture;
    const PlannedFile* file;
  };
  // Grouped by file name, so only names that repeat are compared.
  std::map<std::string, std::vector<Owner>> byName;
  for (const PlannedPicture& p : pictures) {
    for (const PlannedFile& f : p.files) {
      std::vector<Owner>& owners = byName[fileNameKey(splitPath(f.path).name)];
      for (const Owner& o : owners) {
        if (!samePlace(o.file->path, f.path)) continue;
        if (r.batch()) {
          throw PlanError(o.picture->input + " and " + p.input + " would both write " + f.path +
                          ": rename one of them or convert them apart");
        }
        throw PlanError(o.file->path + " and " + f.path + " are the same file: name each " +
                        "output once");
      }
      owners.push_back({&p, &f});
    }
  }
}

void refuseExistingOutputs(const Request& r, const std::vector<PlannedPicture>& pictures) {
  if (r.force) return;
  std::string first;
  int count = 0;
  for (const PlannedPicture& p : pictures) {
    for (const PlannedFile& f : p.files) {
      if (!pathExists(f.path)) continue;
      if (count++ == 0) first = f.path;
    }
  }
  if (count == 0) return;
  std::string message = first + " exists";
  if (count == 2) message += " (and 1 more output)";
  if (count > 2) message += " (and " + std::to_string(count - 1) + " more outputs)";
  message += count > 1 ? ": -f replaces them" : ": -f replaces it";
  // The likely mistake behind an existing picture as OUTPUT: several INPUTs meant, as a glob.
  if (!r.batch()) message += "; --outdir DIR converts several pictures";
  throw PlanError(message);
}

}  // namespace

std::vector<PlannedPicture> planOutputs(const Request& request) {
  if (request.batch() && !isDirectory(request.outdir)) {
    throw PlanError("--outdir " + request.outdir + ": no such folder");
  }
  std::vector<PlannedPicture> pictures = picturesOf(request);
  refuseOutputsThatAreInputs(request, pictures);
  refuseClashes(request, pictures);
  refuseExistingOutputs(request, pictures);
  return pictures;
}

}  // namespace peltrix::cli
