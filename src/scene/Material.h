// Materials, textures and material libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scene/Image.h"
#include "scene/SceneTypes.h"

namespace vlm::scene {

enum class TBlendingMode { Opaque, Transparency, Additive, AlphaTest50, AlphaTest100, Modulate };
enum class TGLMinFilter { Nearest, Linear, NearestMipmapNearest, LinearMipmapNearest, NearestMipmapLinear, LinearMipmapLinear };
enum class TGLMagFilter { Nearest, Linear };
enum class TGLTextureMode { Modulate, Replace, Decal, Blend };
enum class TGLTextureMappingMode { User, ObjectLinear, EyeLinear, Sphere, CubeMapReflection, CubeMapNormal };
enum class TGLTextureWrap { Repeat, Clamp };

// A texture: a decoded source image plus the settings that shape how it is shown.
// The processed image (alpha mode, brightness, gamma applied) is made on demand by
// Image() and shared between copies of the texture while their settings agree.
class TGLTexture {
public:
    TGLTextureImageAlpha ImageAlpha = TGLTextureImageAlpha::Default;
    float ImageBrightness = 1.0f;
    float ImageGamma = 1.0f;
    TGLMinFilter MinFilter = TGLMinFilter::LinearMipmapLinear;
    TGLMagFilter MagFilter = TGLMagFilter::Linear;
    TGLTextureMode TextureMode = TGLTextureMode::Modulate;
    TGLTextureMappingMode MappingMode = TGLTextureMappingMode::User;
    TGLTextureWrap TextureWrap = TGLTextureWrap::Repeat;
    // A disabled texture is not applied.  Loading an image enables the texture.
    bool Disabled = true;

    // Loads (through the scene's file opener) and checks the file; enables the texture.
    // Throws EImageLoadError naming the file; on failure the previous image is kept.  Nothing of
    // it is kept but its size: the pixels are read again and decoded when first asked for
    // (Image with pixels, SourceImage).
    void LoadFromFile(const std::string& fileName);
    // Sets the source image directly (made in code); enables the texture.
    void SetImage(TRGBAImage img, std::string fileName = {});
    // Shares the source image of another texture (cheap: no pixel copy). Settings unchanged.
    void AssignImage(const TGLTexture& other);
    // Forgets the image.
    void ClearImage();

    bool HasImage() const { return mSource != nullptr; }
    const std::string& FileName() const;
    // Size of the source image, 0 when none.
    int ImageWidth() const;
    int ImageHeight() const;
    // The processed image for drawing, or nullptr when there is no image.  Re-processes only
    // when a setting that affects pixels changed since the last call.  With `withPixels` false
    // the image may come without its pixels (after ReleaseImagePixels; Id, size and file name
    // are there); with true the pixels are made again if they were let go, under the same Id.
    const TGLImage* Image(bool withPixels = true) const;
    // Lets the pixels go once the renderer holds its own copy of them (keyed by the image's Id):
    // the processed ones, and the decoded source when it came from a file (read again when the
    // pixels are needed: new settings, or drawn again after the renderer let its copy go).
    void ReleaseImagePixels() const;
    // The decoded image before processing, or nullptr (read again from its file if it was let go).
    const TRGBAImage* SourceImage() const;

private:
    struct TSource {
        TRGBAImage Data;
        std::string FileName;
        bool Released = false;  // pixels let go (Data keeps the size); read again from FileName
    };
    bool ReloadSource() const;
    mutable std::shared_ptr<const TSource> mSource;
    mutable std::shared_ptr<const TGLImage> mProcessed;
    mutable TGLTextureImageAlpha mProcAlpha = TGLTextureImageAlpha::Default;
    mutable float mProcBrightness = 1.0f, mProcGamma = 1.0f;
};

struct TGLFaceProperties {
    TColor Ambient{0.2f, 0.2f, 0.2f, 1.0f};
    TColor Diffuse{0.8f, 0.8f, 0.8f, 1.0f};  // Diffuse.a is the material's opacity
    TColor Emission{0.0f, 0.0f, 0.0f, 1.0f};
    TColor Specular{0.0f, 0.0f, 0.0f, 1.0f};
    float Shininess = 0.0f;
};

// Everything a material says about how a surface looks.
struct TGLMaterialProps {
    TGLFaceProperties FrontProperties;
    TGLFaceProperties BackProperties;
    TBlendingMode BlendingMode = TBlendingMode::Opaque;
    TGLTexture Texture;
    glm::vec2 TextureOffset{0.0f, 0.0f};  // added to texture coordinates
    glm::vec2 TextureScale{1.0f, 1.0f};   // multiplies texture coordinates
};

class TGLMaterialLibrary;

// A named material of a library.
class TGLLibMaterial {
public:
    TGLLibMaterial(TGLMaterialLibrary* owner, std::string name) : mOwner(owner), mName(std::move(name)) {}
    const std::string& Name() const { return mName; }
    TGLMaterialLibrary* Library() const { return mOwner; }

    TGLMaterialProps Material;
    // Name of a second library material (same library) whose texture is the second texture
    // (for example the ship's reflection map "ReflectionTex1"); "" for none.
    std::string Texture2Name;
    // The material named by Texture2Name, or nullptr.
    const TGLLibMaterial* Texture2() const;

private:
    TGLMaterialLibrary* mOwner;
    std::string mName;
};

// Named library materials.  Materials are never removed one by one (Clear() drops all), so
// pointers stay valid while the library lives; objects re-validate through Generation().
class TGLMaterialLibrary {
public:
    explicit TGLMaterialLibrary(std::string name = {}) : Name(std::move(name)) {}
    TGLMaterialLibrary(const TGLMaterialLibrary&) = delete;
    TGLMaterialLibrary& operator=(const TGLMaterialLibrary&) = delete;

    std::string Name;
    // Folders searched for images loaded by name (meshes' material textures); separated
    // by ";".  May use "\".  Empty: the name is used as it is.
    std::string TexturePaths;

    // Adds a material; if one with this name exists, returns the existing one.
    TGLLibMaterial* AddTextureMaterial(std::string_view name);
    // Adds a material and loads its texture from fileName (found through TexturePaths when
    // it is not there as given).  Throws EImageLoadError naming the file (the material
    // stays added, without image).
    TGLLibMaterial* AddTextureMaterial(std::string_view name, const std::string& fileName);
    TGLLibMaterial* LibMaterialByName(std::string_view name) const;  // nullptr when absent
    // Loads an image into the texture of the named material; throws EImageLoadError naming
    // the file, or ESceneError when no material of that name exists.
    void LoadTexture(std::string_view materialName, const std::string& fileName);
    // Resolves fileName against TexturePaths: the first candidate the file opener can open.
    std::string ResolveTexturePath(const std::string& fileName) const;

    size_t Count() const { return mMaterials.size(); }
    TGLLibMaterial* Material(size_t i) const { return mMaterials[i].get(); }
    void Clear();
    // Increases whenever materials are added or cleared.
    std::uint64_t Generation() const { return mGeneration; }

private:
    struct THash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::vector<std::unique_ptr<TGLLibMaterial>> mMaterials;
    std::unordered_map<std::string, TGLLibMaterial*, THash, std::equal_to<>> mByName;
    std::uint64_t mGeneration = 1;
};

// The material slot of a scene object: either a reference to a library material
// (library + LibMaterialName) or its own properties (the base TGLMaterialProps).
class TGLMaterial : public TGLMaterialProps {
public:
    TGLMaterialLibrary* GetMaterialLibrary() const { return mLibrary; }
    void SetMaterialLibrary(TGLMaterialLibrary* lib);
    const std::string& GetLibMaterialName() const { return mLibMaterialName; }
    // Re-binds at once.  A name the library does not have leaves the object with its own
    // properties (and binds later if the library gains that name).
    void SetLibMaterialName(std::string_view name);
    void SetLibMaterial(TGLMaterialLibrary* lib, std::string_view name);

    // The bound library material, or nullptr.
    TGLLibMaterial* LibMaterial() const;
    // What to draw with: the bound library material's properties, else the own ones.
    const TGLMaterialProps& Effective() const;
    TGLMaterialProps& EffectiveForEdit();

    // Makes the own properties a copy of the named library material's (or of props) and
    // drops the library reference: "its own copy of the material".
    void AssignFromLibMaterial(const TGLLibMaterial& src);

private:
    TGLMaterialLibrary* mLibrary = nullptr;
    std::string mLibMaterialName;
    mutable TGLLibMaterial* mBound = nullptr;
    mutable std::uint64_t mBoundGeneration = 0;
};

}  // namespace vlm::scene
