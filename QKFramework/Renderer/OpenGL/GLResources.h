// The OpenGL back end's objects on the GPU side: the image record that hands pixel rows to
// OpenGL, textures with their size rules, display-list runs, polygon filling through the GLU
// tessellator, and the error drain they all share.
//
// Everything here runs on the UI thread with the owning renderer's context current.
//
// OpenGL's own header stays in the implementation: enumerations (GLenum) are std::uint32_t
// here and signed parameters (GLint) std::int32_t, the types OpenGL defines them as.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Renderer/Polyline.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include <cstdint>
#include <vector>

namespace QK
{


// Reads OpenGL's pending errors until none is left. Bounded, so that a driver answering
// errors forever (or no context at all) cannot hold the caller.
void DrainGLErrors();

// 1 for 1, else the smallest power of two not below n, at most 16384; 0 below 1.
std::int32_t NextTextureSize(std::int32_t n);

// Pixel rows handed to OpenGL: the rows themselves (owned or not) and their layout.
struct GLImage
{
    std::uint32_t format = 0;
    std::uint32_t type = 0;
    const std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    std::int32_t bytesPerPixel = 0;
    // Rows this record made itself (a scaled copy, an alpha mask); data points into them.
    std::vector<std::uint8_t> owned;

    void Reset() { *this = GLImage(); }
    // Points at rows owned by someone else.
    void Point(const void* rows, std::int32_t rowStride, std::int32_t pixelBytes, std::int32_t w, std::int32_t h,
               std::uint32_t pixelFormat, std::uint32_t pixelType);
    // Takes over the rows of other, which is left empty.
    void Take(GLImage& other);
};

// The BGRA image as an alpha mask: 0 for the zero pixel, else 255 - (0.3 R + 0.59 G + 0.11 B),
// so dark pixels become opaque. Rows padded to multiples of 4.
GLImage ConvertToAlpha(const GLImage& image);

// One OpenGL texture, uploaded from a bitmap or an image record.
class LGLTexture : public virtual LRefCountedObject
{
public:
    static constexpr std::uint32_t kNoName = 0xFFFFFFFFu;
    // Flags of Create.
    static constexpr std::int32_t kNearest = 1;
    static constexpr std::int32_t kRepeat = 2;
    static constexpr std::int32_t kMipmaps = 4;

    LGLTexture() = default;

    // Holds the bitmap and uploads its whole image (linear filtering, clamped).
    void SetBitmap(const ConstRCPtr<LBitmap>& bitmap);
    // Allocates the texture at the next power-of-two size the driver accepts and uploads the
    // image into its top-left corner; an image that does not fit is scaled down to it.
    void Create(const GLImage& image, std::int32_t internalFormat, std::int32_t flags, float scale);
    // One textured quad: source in image pixels, destination in the current coordinates;
    // both (left, top, right, bottom).
    void Draw(const float source[4], const float destination[4]) const;

    std::uint32_t GetName() const { return m_name; }
    // The name exists and OpenGL still knows it.
    bool IsValid() const;
    float GetTextureWidth() const { return m_textureWidth; }
    float GetTextureHeight() const { return m_textureHeight; }
    float GetImageWidth() const { return m_imageWidth; }
    float GetImageHeight() const { return m_imageHeight; }
    const ConstRCPtr<LBitmap>& GetSourceBitmap() const { return m_sourceBitmap; }

protected:
    ~LGLTexture() override;

private:
    // Halves the texture size until the driver's proxy accepts it; the reduction factor.
    std::int32_t ProbeSize(std::int32_t& internalFormat, std::uint32_t format, std::uint32_t type);

    static constexpr std::uint32_t kTexture2D = 0x0DE1; // GL_TEXTURE_2D

    std::uint32_t m_target = kTexture2D;
    std::uint32_t m_name = kNoName;
    float m_textureWidth = 0.0f;
    float m_textureHeight = 0.0f;
    float m_imageWidth = 0.0f;
    float m_imageHeight = 0.0f;
    float m_scaledWidth = 0.0f;
    float m_scaledHeight = 0.0f;
    // The size of the image as given, which source rectangles are measured in.
    float m_sourceWidth = 0.0f;
    float m_sourceHeight = 0.0f;
    ConstRCPtr<LBitmap> m_sourceBitmap;
};

// A run of display lists, named at its first compile.
class LGLDisplayList : public virtual LRefCountedObject
{
public:
    // A run of count lists; null for 0.
    static RCPtr<LGLDisplayList> Create(std::int32_t count);

    // Starts compiling list index: 0, or 0x80004005 without a name OpenGL knows.
    QKRESULT BeginCompile(std::int32_t index);
    QKRESULT EndCompile();
    // Calls count lists from first: 0; 0x80004005 without a name (or at a list OpenGL does
    // not know); 0x80070057 for a range beyond the run.
    QKRESULT Call(std::int32_t first, std::int32_t count);

    std::uint32_t GetFirstName() const { return m_first; }
    std::int32_t GetCount() const { return m_count; }

protected:
    explicit LGLDisplayList(std::int32_t count) : m_count(count) {}
    ~LGLDisplayList() override;

private:
    std::uint32_t m_first = 0xFFFFFFFFu;
    std::int32_t m_count;
};

// Polygon filling through the one process-wide GLU tessellator (odd winding; no combine
// callback, so self-intersecting outlines fill nothing). The triangles go straight to
// OpenGL, into the display list being compiled if there is one.
class CGLPolygon
{
public:
    CGLPolygon();
    virtual ~CGLPolygon() = default;
    void Tessellate(const PolylineT<float>& polyline);
};

} // namespace QK
