// Sections: errors and sizes; image records; textures; display lists; polygons.
#include "QKFramework/Renderer/OpenGL/GLResources.h"

#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace QK
{

static_assert(std::is_same_v<GLenum, std::uint32_t> && std::is_same_v<GLint, std::int32_t>);

// --- Errors and sizes ------------------------------------------------------------------

void DrainGLErrors()
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}

std::int32_t NextTextureSize(std::int32_t n)
{
    constexpr std::int32_t kLargest = 16384;
    if (n < 1)
        return 0;
    std::int32_t size = 1;
    while (size < n && size < kLargest)
        size <<= 1;
    return size;
}

// --- Image records ---------------------------------------------------------------------

void GLImage::Point(const void* rows, std::int32_t rowStride, std::int32_t pixelBytes, std::int32_t w,
                    std::int32_t h, GLenum pixelFormat, GLenum pixelType)
{
    Reset();
    data = static_cast<const std::uint8_t*>(rows);
    stride = rowStride;
    bytesPerPixel = pixelBytes;
    width = w;
    height = h;
    format = pixelFormat;
    type = pixelType;
}

void GLImage::Take(GLImage& other)
{
    if (this == &other)
        return;
    const bool ownedRows = !other.owned.empty() && other.data == other.owned.data();
    *this = std::move(other);
    if (ownedRows)
        data = owned.data();
    other.Reset();
}

GLImage ConvertToAlpha(const GLImage& image)
{
    GLImage mask;
    mask.format = GL_ALPHA;
    mask.type = GL_UNSIGNED_BYTE;
    mask.bytesPerPixel = 1;
    mask.width = std::max(image.width, 0);
    mask.height = std::max(image.height, 0);
    mask.stride = (mask.width + 3) & ~3;
    mask.owned.assign(static_cast<std::size_t>(mask.stride) * static_cast<std::size_t>(mask.height), 0);
    mask.data = mask.owned.data();
    if (!image.data || image.bytesPerPixel != 4)
        return mask;
    for (std::int32_t y = 0; y < mask.height; ++y)
    {
        const std::uint8_t* row = image.data + static_cast<std::ptrdiff_t>(y) * image.stride;
        for (std::int32_t x = 0; x < mask.width; ++x)
        {
            std::uint32_t p = 0;
            std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
            const float red = static_cast<float>((p >> 16) & 0xFF);
            const float green = static_cast<float>((p >> 8) & 0xFF);
            const float blue = static_cast<float>(p & 0xFF);
            mask.owned[static_cast<std::size_t>(y) * mask.stride + x] =
                p == 0 ? 0 : static_cast<std::uint8_t>(255 - static_cast<int>(0.3f * red + 0.59f * green + 0.11f * blue));
        }
    }
    return mask;
}

// --- Textures --------------------------------------------------------------------------

LGLTexture::~LGLTexture()
{
    if (m_name != kNoName && glIsTexture(m_name))
    {
        const GLuint name = m_name;
        glDeleteTextures(1, &name);
    }
    m_name = kNoName;
    m_textureWidth = m_textureHeight = m_imageWidth = m_imageHeight = 0.0f;
    m_sourceBitmap = nullptr;
}

bool LGLTexture::IsValid() const
{
    return m_name != kNoName && glIsTexture(m_name) == GL_TRUE;
}

void LGLTexture::SetBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    m_sourceBitmap = bitmap;
    if (!bitmap)
        return;
    const ConstRCPtr<LBitmapData> data = bitmap->GetBitmapData();
    if (!data || !data->IsLocked())
        return;
    GLImage image;
    image.Point(data->GetPixelAddress(0, 0), data->GetStride(), 4, data->GetWidth(), data->GetHeight(), GL_BGRA,
                GL_UNSIGNED_BYTE);
    Create(image, GL_RGBA8, 0, 1.0f);
}

std::int32_t LGLTexture::ProbeSize(GLint& internalFormat, GLenum format, GLenum type)
{
    std::int32_t factor = 1;
    DrainGLErrors();
    auto width = static_cast<GLint>(m_textureWidth);
    auto height = static_cast<GLint>(m_textureHeight);
    while (width > 1 && height > 1)
    {
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
        DrainGLErrors();
        GLint proxyWidth = 0;
        GLint proxyHeight = 0;
        GLint proxyFormat = internalFormat;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &proxyHeight);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &proxyFormat);
        // Drivers refuse a size either with an error or, as Mesa does, by answering a proxy
        // of size 0; both count as refusals.
        if (proxyWidth == width && proxyHeight == height)
            break;
        width /= 2;
        height /= 2;
        factor *= 2;
        if (proxyFormat != 0)
            internalFormat = proxyFormat;
    }
    m_textureWidth = static_cast<float>(width);
    m_textureHeight = static_cast<float>(height);
    DrainGLErrors();
    return factor;
}

void LGLTexture::Create(const GLImage& source, GLint internalFormat, std::int32_t flags, float scale)
{
    static_assert(kTexture2D == GL_TEXTURE_2D);
    const bool mask = internalFormat == GL_ALPHA8 || internalFormat == GL_ALPHA4;
    if (!IsValid())
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        m_name = name;
    }
    glBindTexture(m_target, m_name);

    const GLenum format = mask ? GL_ALPHA : source.format;
    const GLenum type = mask ? GL_UNSIGNED_BYTE : source.type;
    m_imageWidth = static_cast<float>(source.width);
    m_imageHeight = static_cast<float>(source.height);
    m_sourceWidth = m_imageWidth;
    m_sourceHeight = m_imageHeight;
    const float divisor = scale > 0.0f ? scale : 1.0f;
    m_scaledWidth = m_imageWidth / divisor;
    m_scaledHeight = m_imageHeight / divisor;
    m_textureWidth = static_cast<float>(NextTextureSize(source.width));
    m_textureHeight = static_cast<float>(NextTextureSize(source.height));

    const bool nearest = (flags & kNearest) != 0;
    const bool repeat = (flags & kRepeat) != 0;
    const bool mipmaps = (flags & kMipmaps) != 0;
    glTexParameteri(m_target, GL_TEXTURE_MIN_FILTER,
                    nearest ? (mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                            : (mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR));
    glTexParameteri(m_target, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(m_target, GL_TEXTURE_WRAP_S, repeat ? GL_REPEAT : GL_CLAMP);
    glTexParameteri(m_target, GL_TEXTURE_WRAP_T, repeat ? GL_REPEAT : GL_CLAMP);
    DrainGLErrors();

    if (source.width < 1 || source.height < 1 || !source.data)
        return;
    const std::int32_t factor = ProbeSize(internalFormat, format, type);
    const auto textureWidth = static_cast<GLint>(m_textureWidth);
    const auto textureHeight = static_cast<GLint>(m_textureHeight);
    glTexImage2D(m_target, 0, internalFormat, textureWidth, textureHeight, 0, format, type, nullptr);
    DrainGLErrors();

    GLImage image;
    image.Point(source.data, source.stride, source.bytesPerPixel, source.width, source.height, source.format,
                source.type);
    const bool differs = image.width != textureWidth || image.height != textureHeight;
    // An image larger than the texture it may have is scaled down to it too: uploading it
    // as it is would fail and leave the texture empty.
    const bool tooLarge = image.width > textureWidth || image.height > textureHeight;
    if ((factor >= 2 || repeat || tooLarge) && differs && image.bytesPerPixel > 0)
    {
        GLImage scaled;
        scaled.format = image.format;
        scaled.type = image.type;
        scaled.bytesPerPixel = image.bytesPerPixel;
        scaled.width = textureWidth;
        scaled.height = textureHeight;
        scaled.stride = (image.bytesPerPixel * textureWidth + 3) & ~3;
        scaled.owned.assign(static_cast<std::size_t>(scaled.stride) * static_cast<std::size_t>(textureHeight), 0);
        scaled.data = scaled.owned.data();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, image.stride / image.bytesPerPixel);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gluScaleImage(image.format, image.width, image.height, image.type, image.data, textureWidth, textureHeight,
                      image.type, scaled.owned.data());
        image.Take(scaled);
        m_imageWidth = m_textureWidth;
        m_imageHeight = m_textureHeight;
    }
    if (mask)
    {
        GLImage alpha = ConvertToAlpha(image);
        image.Take(alpha);
    }

    if (image.bytesPerPixel > 0)
    {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, image.stride / image.bytesPerPixel);
        const std::int32_t remainder = image.stride % image.bytesPerPixel;
        GLint alignment = 1;
        while (remainder != 0 && alignment <= remainder)
            alignment <<= 1;
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        if (mipmaps)
            gluBuild2DMipmaps(m_target, internalFormat, image.width, image.height, image.format, image.type,
                              image.data);
        else
            glTexSubImage2D(m_target, 0, 0, 0, image.width, image.height, image.format, image.type, image.data);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    DrainGLErrors();
}

void LGLTexture::Draw(const float source[4], const float destination[4]) const
{
    if (m_textureWidth <= 0.0f || m_textureHeight <= 0.0f || m_sourceWidth <= 0.0f || m_sourceHeight <= 0.0f)
        return;
    glEnable(m_target);
    glBindTexture(m_target, m_name);
    // Source rectangles are in the pixels of the image as given; a scaled upload fills the
    // used part of the texture with the same picture.
    const float sx = (m_imageWidth / m_textureWidth) / m_sourceWidth;
    const float ty = (m_imageHeight / m_textureHeight) / m_sourceHeight;
    const float sLeft = source[0] * sx;
    const float sRight = source[2] * sx;
    const float tTop = source[1] * ty;
    const float tBottom = source[3] * ty;
    glBegin(GL_QUADS);
    glTexCoord2f(sLeft, tTop);
    glVertex2f(destination[0], destination[1]);
    glTexCoord2f(sLeft, tBottom);
    glVertex2f(destination[0], destination[3]);
    glTexCoord2f(sRight, tBottom);
    glVertex2f(destination[2], destination[3]);
    glTexCoord2f(sRight, tTop);
    glVertex2f(destination[2], destination[1]);
    glEnd();
    glDisable(m_target);
}

// --- Display lists ---------------------------------------------------------------------

RCPtr<LGLDisplayList> LGLDisplayList::Create(std::int32_t count)
{
    if (count <= 0)
        return RCPtr<LGLDisplayList>();
    return RCPtr<LGLDisplayList>(new LGLDisplayList(count));
}

LGLDisplayList::~LGLDisplayList()
{
    if (m_first != 0xFFFFFFFFu && glIsList(m_first))
        glDeleteLists(m_first, m_count);
    DrainGLErrors();
    m_first = 0xFFFFFFFFu;
}

QKRESULT LGLDisplayList::BeginCompile(std::int32_t index)
{
    if (m_first == 0xFFFFFFFFu)
    {
        const GLuint first = glGenLists(m_count);
        m_first = first == 0 ? 0xFFFFFFFFu : first;
    }
    if (m_first == 0xFFFFFFFFu || index < 0 || index >= m_count || !glIsList(m_first))
        return QK_E_FAIL;
    glNewList(m_first + static_cast<GLuint>(index), GL_COMPILE);
    DrainGLErrors();
    return QK_OK;
}

QKRESULT LGLDisplayList::EndCompile()
{
    if (m_first == 0xFFFFFFFFu)
        return QK_E_FAIL;
    glEndList();
    DrainGLErrors();
    return QK_OK;
}

QKRESULT LGLDisplayList::Call(std::int32_t first, std::int32_t count)
{
    if (m_first == 0xFFFFFFFFu)
        return QK_E_FAIL;
    if (first < 0 || count < 0 || static_cast<std::int64_t>(first) + count > m_count)
        return QK_E_INVALIDARG;
    for (std::int32_t i = 0; i < count; ++i)
    {
        const GLuint list = m_first + static_cast<GLuint>(first + i);
        if (!glIsList(list))
            return QK_E_FAIL;
        glCallList(list);
        DrainGLErrors();
    }
    return QK_OK;
}

// --- Polygons --------------------------------------------------------------------------

namespace
{

GLUtesselator* g_tessellator = nullptr;
std::vector<GLdouble>* g_vertices = nullptr;

} // namespace

CGLPolygon::CGLPolygon()
{
    if (g_tessellator)
        return;
    // Kept for the life of the process, as the vertex array is.
    g_tessellator = gluNewTess();
    g_vertices = new std::vector<GLdouble>;
    if (!g_tessellator)
        return;
    gluTessNormal(g_tessellator, 0.0, 0.0, 1.0);
    gluTessProperty(g_tessellator, GLU_TESS_TOLERANCE, 1.0);
    gluTessCallback(g_tessellator, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(glVertex3dv));
    gluTessCallback(g_tessellator, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(glBegin));
    gluTessCallback(g_tessellator, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(glEnd));
}

void CGLPolygon::Tessellate(const PolylineT<float>& polyline)
{
    if (!g_tessellator || !g_vertices)
        return;
    const std::vector<PointF>& points = polyline.GetPoints();
    if (g_vertices->size() < 3 * points.size())
        g_vertices->resize(3 * points.size());
    GLdouble* vertices = g_vertices->data();
    gluTessProperty(g_tessellator, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
    gluTessBeginPolygon(g_tessellator, nullptr);
    gluTessBeginContour(g_tessellator);
    for (std::size_t i = 0; i < points.size(); ++i)
    {
        GLdouble* vertex = vertices + 3 * i;
        vertex[0] = points[i].x;
        vertex[1] = points[i].y;
        vertex[2] = 0.0;
        gluTessVertex(g_tessellator, vertex, vertex);
    }
    gluTessEndContour(g_tessellator);
    gluTessEndPolygon(g_tessellator);
}

} // namespace QK
