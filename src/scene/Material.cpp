#include "scene/Material.h"

#include <exception>

namespace vlm::scene {

// ---------------------------------------------------------------- TGLTexture

void TGLTexture::LoadFromFile(const std::string& fileName) {
    auto bytes = GetFileOpener()(fileName);
    if (!bytes) throw EImageLoadError(fileName, "file not found");
    // Checked whole now (throws; keeps the old image), decoded when first drawn: a picture the
    // run never shows costs no memory for its pixels (read again from the archive when drawn).
    TRGBAImage size = CheckImage(*bytes, fileName);
    auto src = std::make_shared<TSource>();
    src->Data = std::move(size);
    src->FileName = fileName;
    src->Released = true;
    mSource = std::move(src);
    mProcessed.reset();
    Disabled = false;
}

void TGLTexture::SetImage(TRGBAImage img, std::string fileName) {
    auto src = std::make_shared<TSource>();
    src->Data = std::move(img);
    src->FileName = std::move(fileName);
    mSource = std::move(src);
    mProcessed.reset();
    Disabled = false;
}

void TGLTexture::AssignImage(const TGLTexture& other) {
    if (&other == this) return;
    mSource = other.mSource;
    mProcessed.reset();
}

void TGLTexture::ClearImage() {
    mSource.reset();
    mProcessed.reset();
}

const std::string& TGLTexture::FileName() const {
    static const std::string empty;
    return mSource ? mSource->FileName : empty;
}

int TGLTexture::ImageWidth() const { return mSource ? mSource->Data.Width : 0; }
int TGLTexture::ImageHeight() const { return mSource ? mSource->Data.Height : 0; }

const TRGBAImage* TGLTexture::SourceImage() const {
    if (mSource && mSource->Released) ReloadSource();
    return mSource ? &mSource->Data : nullptr;
}

bool TGLTexture::ReloadSource() const {
    try {
        auto src = std::make_shared<TSource>();
        src->Data = LoadImageFile(mSource->FileName);
        src->FileName = mSource->FileName;
        mSource = std::move(src);
        return true;
    } catch (const std::exception&) {
        return false;  // the file went away since: the picture stays without pixels
    }
}

const TGLImage* TGLTexture::Image(bool withPixels) const {
    if (!mSource) return nullptr;
    const bool current =
        mProcessed && mProcAlpha == ImageAlpha && mProcBrightness == ImageBrightness && mProcGamma == ImageGamma;
    if (current && (!withPixels || !mProcessed->Data.Pixels.empty()))
        return mProcessed.get();
    if (!withPixels && mSource->Released) {
        // Size and identity without decoding: the pixels come when they are asked for.
        auto bare = std::make_shared<TGLImage>();
        bare->Id = NewImageId();
        bare->FileName = mSource->FileName;
        bare->Data.Width = mSource->Data.Width;
        bare->Data.Height = mSource->Data.Height;
        mProcAlpha = ImageAlpha;
        mProcBrightness = ImageBrightness;
        mProcGamma = ImageGamma;
        mProcessed = std::move(bare);
        return mProcessed.get();
    }
    if (mSource->Released && !ReloadSource()) return mProcessed.get();
    if (current && mSource->Data.Pixels.empty()) return mProcessed.get();
    auto img = std::make_shared<TGLImage>();
    // Pixels made again for unchanged settings are the same picture: it keeps its Id.
    img->Id = current ? mProcessed->Id : NewImageId();
    img->FileName = mSource->FileName;
    img->Data = mSource->Data;
    ProcessImage(img->Data, ImageAlpha, ImageBrightness, ImageGamma);
    mProcAlpha = ImageAlpha;
    mProcBrightness = ImageBrightness;
    mProcGamma = ImageGamma;
    mProcessed = std::move(img);
    return mProcessed.get();
}

void TGLTexture::ReleaseImagePixels() const {
    if (!mProcessed || mProcessed->Data.Pixels.empty()) return;
    // The image is shared with copies of this texture and may be read by whoever asked for it
    // last, so a pixel-less twin replaces it here rather than emptying it in place.
    auto bare = std::make_shared<TGLImage>();
    bare->Id = mProcessed->Id;
    bare->FileName = mProcessed->FileName;
    bare->Data.Width = mProcessed->Data.Width;
    bare->Data.Height = mProcessed->Data.Height;
    mProcessed = std::move(bare);
    // A picture read from a file is read again if it is ever needed (new settings, or drawn
    // again after the renderer let its copy go); one made in code keeps its pixels.
    if (mSource && !mSource->FileName.empty() && !mSource->Released) {
        auto src = std::make_shared<TSource>();
        src->Data.Width = mSource->Data.Width;
        src->Data.Height = mSource->Data.Height;
        src->FileName = mSource->FileName;
        src->Released = true;
        mSource = std::move(src);
    }
}

// ---------------------------------------------------------------- library

const TGLLibMaterial* TGLLibMaterial::Texture2() const {
    if (Texture2Name.empty() || !mOwner) return nullptr;
    return mOwner->LibMaterialByName(Texture2Name);
}

TGLLibMaterial* TGLMaterialLibrary::AddTextureMaterial(std::string_view name) {
    if (TGLLibMaterial* existing = LibMaterialByName(name)) return existing;
    auto m = std::make_unique<TGLLibMaterial>(this, std::string(name));
    TGLLibMaterial* raw = m.get();
    mMaterials.push_back(std::move(m));
    mByName.emplace(raw->Name(), raw);
    ++mGeneration;
    return raw;
}

TGLLibMaterial* TGLMaterialLibrary::AddTextureMaterial(std::string_view name, const std::string& fileName) {
    TGLLibMaterial* m = AddTextureMaterial(name);
    m->Material.Texture.LoadFromFile(ResolveTexturePath(fileName));
    return m;
}

TGLLibMaterial* TGLMaterialLibrary::LibMaterialByName(std::string_view name) const {
    auto it = mByName.find(name);
    return it == mByName.end() ? nullptr : it->second;
}

void TGLMaterialLibrary::LoadTexture(std::string_view materialName, const std::string& fileName) {
    TGLLibMaterial* m = LibMaterialByName(materialName);
    if (!m)
        throw ESceneError("material library \"" + Name + "\" has no material \"" + std::string(materialName) +
                          "\" to load \"" + fileName + "\" into");
    m->Material.Texture.LoadFromFile(ResolveTexturePath(fileName));
}

std::string TGLMaterialLibrary::ResolveTexturePath(const std::string& fileName) const {
    if (TexturePaths.empty()) return fileName;
    const TFileOpener& open = GetFileOpener();
    if (open(fileName)) return fileName;
    size_t start = 0;
    while (start <= TexturePaths.size()) {
        size_t end = TexturePaths.find(';', start);
        if (end == std::string::npos) end = TexturePaths.size();
        std::string dir = TexturePaths.substr(start, end - start);
        if (!dir.empty()) {
            const char last = dir.back();
            std::string candidate = (last == '\\' || last == '/') ? dir + fileName : dir + "\\" + fileName;
            if (open(candidate)) return candidate;
        }
        start = end + 1;
    }
    return fileName;
}

void TGLMaterialLibrary::Clear() {
    mByName.clear();
    mMaterials.clear();
    ++mGeneration;
}

// ---------------------------------------------------------------- object material

void TGLMaterial::SetMaterialLibrary(TGLMaterialLibrary* lib) {
    mLibrary = lib;
    mBound = nullptr;
    mBoundGeneration = 0;
    LibMaterial();
}

void TGLMaterial::SetLibMaterialName(std::string_view name) {
    if (name != mLibMaterialName) mLibMaterialName.assign(name.data(), name.size());
    mBound = nullptr;
    mBoundGeneration = 0;
    LibMaterial();
}

void TGLMaterial::SetLibMaterial(TGLMaterialLibrary* lib, std::string_view name) {
    mLibrary = lib;
    SetLibMaterialName(name);
}

TGLLibMaterial* TGLMaterial::LibMaterial() const {
    if (!mLibrary || mLibMaterialName.empty()) return nullptr;
    if (mBoundGeneration != mLibrary->Generation()) {
        mBound = mLibrary->LibMaterialByName(mLibMaterialName);
        mBoundGeneration = mLibrary->Generation();
    }
    return mBound;
}

const TGLMaterialProps& TGLMaterial::Effective() const {
    if (const TGLLibMaterial* lm = LibMaterial()) return lm->Material;
    return *this;
}

TGLMaterialProps& TGLMaterial::EffectiveForEdit() {
    if (TGLLibMaterial* lm = LibMaterial()) return lm->Material;
    return *this;
}

void TGLMaterial::AssignFromLibMaterial(const TGLLibMaterial& src) {
    static_cast<TGLMaterialProps&>(*this) = src.Material;
    mLibrary = nullptr;
    mLibMaterialName.clear();
    mBound = nullptr;
    mBoundGeneration = 0;
}

}  // namespace vlm::scene
