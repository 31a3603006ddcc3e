<?php
/*
 * Tillbox coupon checker: tells the cart whether a coupon code is valid for
 * the products in the cart. Lives in the site's shared folder
 * (rw_common/plugins/tillbox/...) and reads the coupon table "coupons.php"
 * that each shop page exports into its files folder.
 *
 * Request: POST only (anything else: 405), as a form body or a JSON object.
 *   code     the code the shopper typed; surrounding spaces are ignored and
 *            the match is case-insensitive.
 *   skus     the SKUs in the cart: comma-separated text, or a list.
 *   coupons  where the page's coupon table is, relative to the site root:
 *            the page's files folder ("shop/files") or the table itself
 *            ("shop/files/coupons.php"). A leading "/" is ignored. The site
 *            root is the folder that holds this script's "rw_common" folder;
 *            the path must stay inside it (no "..", symbolic links resolved)
 *            and must name a file "coupons.php", otherwise 400.
 *
 * Answer: JSON, always of this shape:
 *   {"valid":bool,"code":"...","text":"...","type":"%"|"$"|"","value":number,"sku":"..."}
 *   valid  true when a coupon with that code exists, today lies between its
 *          first day (from 00:00) and last day (to 23:59:59) in the server's
 *          time, and it applies to every product (empty SKU) or to one of
 *          the posted SKUs.
 *   code   the coupon's code as the shop wrote it (valid), or the code as
 *          typed (not valid).
 *   text   the coupon's description; type "%" (percent off) or "$" (amount
 *          off); value the discount; sku the product it applies to ("" for
 *          all). Empty / 0 when not valid.
 * Errors (bad method, bad path, unreadable table) add "error":"..." to a
 * not-valid answer, with status 405, 400 or 500. An answer never names
 * another coupon, a server path or a PHP message.
 */

require_once __DIR__ . '/json.php';

const TILLBOX_COUPON_TABLE = 'coupons.php';
const TILLBOX_MAX_PATH_LENGTH = 1000;
const TILLBOX_MAX_CODE_LENGTH = 200;

$GLOBALS['tillboxFatalBody'] = tillbox_coupon_answer(false, '', null);

/* The answer for $coupon (an entry of the table) or a not-valid answer. */
function tillbox_coupon_answer($valid, $typedCode, $coupon, $error = null)
{
    $answer = array(
        'valid' => $valid,
        'code' => $valid ? $coupon['code'] : $typedCode,
        'text' => $valid ? $coupon['text'] : '',
        'type' => $valid ? $coupon['type'] : '',
        'value' => $valid ? (float)$coupon['value'] : 0,
        'sku' => $valid ? $coupon['sku'] : '',
    );
    if ($error !== null) {
        $answer['error'] = $error;
    }
    return $answer;
}

function tillbox_coupon_fail($typedCode, $error, $status)
{
    json_response(tillbox_coupon_answer(false, $typedCode, null, $error), $status);
}

/*
 * The site root: the folder holding the "rw_common" folder above this
 * script. It comes from the script's own location, never from the request.
 */
function tillbox_site_root()
{
    $dir = realpath(__DIR__);
    while (is_string($dir) && $dir !== '') {
        $parent = dirname($dir);
        if (basename($dir) === 'rw_common') {
            return $parent;
        }
        if ($parent === $dir) {
            break;
        }
        $dir = $parent;
    }
    return null;
}

/* The real path of the page's coupon table, or null when $relative is refused. */
function tillbox_coupon_table_path($relative)
{
    if ($relative === '' || strlen($relative) > TILLBOX_MAX_PATH_LENGTH
        || strpos($relative, "\0") !== false || strpos($relative, '\\') !== false
        || strpos($relative, ':') !== false) {
        return null;
    }
    $relative = trim($relative, '/');
    $segments = $relative === '' ? array() : explode('/', $relative);
    foreach ($segments as $segment) {
        if ($segment === '..') {
            return null;
        }
    }
    if (empty($segments) || end($segments) !== TILLBOX_COUPON_TABLE) {
        $segments[] = TILLBOX_COUPON_TABLE;
    }

    $root = tillbox_site_root();
    if ($root === null) {
        return null;
    }
    $path = realpath($root . '/' . implode('/', $segments));
    if (!is_string($path) || !is_file($path)) {
        return null;
    }
    // realpath() resolved every link: the table must still be inside the
    // site and still be a coupon table.
    $prefix = rtrim($root, DIRECTORY_SEPARATOR) . DIRECTORY_SEPARATOR;
    if (strpos($path, $prefix) !== 0 || basename($path) !== TILLBOX_COUPON_TABLE) {
        return null;
    }
    return $path;
}

/*
 * Runs the table. Each entry checks that TILLBOX_COUPONS is defined (so that
 * requesting the table directly shows nothing) and appends one array to
 * $tillboxCoupons. Returns null when the table cannot be run.
 */
function tillbox_load_coupons($path)
{
    if (!defined('TILLBOX_COUPONS')) {
        define('TILLBOX_COUPONS', true);
    }
    $tillboxCoupons = array();
    try {
        ob_start();
        include $path;
        ob_end_clean();
    } catch (Throwable $e) {
        ob_end_clean();
        error_log('Tillbox: coupon table could not be read: ' . $e->getMessage());
        return null;
    }
    return is_array($tillboxCoupons) ? $tillboxCoupons : null;
}

function tillbox_fold_case($text)
{
    return function_exists('mb_strtolower') ? mb_strtolower($text, 'UTF-8') : strtolower($text);
}

/*
 * The entry normalised, or null when it is malformed: a bad entry makes its
 * coupon invalid rather than guessing what it meant.
 */
function tillbox_coupon_entry($entry)
{
    if (!is_array($entry)) {
        return null;
    }
    $coupon = array();
    foreach (array('code', 'text', 'from', 'to', 'value', 'type', 'sku') as $key) {
        if (!isset($entry[$key]) || !is_string($entry[$key])) {
            return null;
        }
        $coupon[$key] = $entry[$key];
    }
    $coupon['code'] = trim($coupon['code']);
    $coupon['sku'] = trim($coupon['sku']);
    foreach (array('from', 'to') as $key) {
        if ($coupon[$key] !== '' && preg_match('/^\d{4}-\d{2}-\d{2}$/', $coupon[$key]) !== 1) {
            return null;
        }
    }
    // A plain decimal; a comma separator is tolerated.
    $value = str_replace(',', '.', trim($coupon['value']));
    if ($coupon['code'] === '' || preg_match('/^\d+(\.\d+)?$/', $value) !== 1) {
        return null;
    }
    $coupon['value'] = (float)$value;
    if ($coupon['type'] !== '%' && $coupon['type'] !== '$') {
        return null;
    }
    if ($coupon['type'] === '%' && $coupon['value'] > 100) {
        return null;
    }
    return $coupon;
}

/*
 * Whether $coupon is valid today for the cart's $skus. The dates are days:
 * "yyyy-mm-dd" text compares in date order, so the coupon runs from the
 * start of its first day to the end of its last day.
 */
function tillbox_coupon_applies($coupon, $today, $skus)
{
    if ($coupon['from'] !== '' && strcmp($today, $coupon['from']) < 0) {
        return false;
    }
    if ($coupon['to'] !== '' && strcmp($today, $coupon['to']) > 0) {
        return false;
    }
    return $coupon['sku'] === '' || in_array($coupon['sku'], $skus, true);
}

function tillbox_posted_skus($value)
{
    $items = is_array($value) ? $value : explode(',', (string)json_text($value));
    $skus = array();
    foreach ($items as $item) {
        $sku = json_text($item);
        if ($sku !== null && trim($sku) !== '') {
            $skus[] = trim($sku);
        }
    }
    return $skus;
}

// ---------------------------------------------------------------------------

json_require_post(tillbox_coupon_answer(false, '', null, 'Use POST.'));

$request = json_request_data();
if ($request === null) {
    tillbox_coupon_fail('', 'The request could not be read.', 400);
}

$typed = json_text(isset($request['code']) ? $request['code'] : '');
if ($typed === null || !json_is_utf8($typed) || strlen($typed) > TILLBOX_MAX_CODE_LENGTH) {
    tillbox_coupon_fail('', 'The coupon code is not valid.', 400);
}
$typed = trim($typed);

$tablePath = tillbox_coupon_table_path((string)json_text(isset($request['coupons']) ? $request['coupons'] : ''));
if ($tablePath === null) {
    tillbox_coupon_fail($typed, 'The coupon table was not found.', 400);
}
$coupons = tillbox_load_coupons($tablePath);
if ($coupons === null) {
    tillbox_coupon_fail($typed, 'The coupon table could not be read.', 500);
}

if ($typed === '') {
    json_response(tillbox_coupon_answer(false, $typed, null));
}

$skus = tillbox_posted_skus(isset($request['skus']) ? $request['skus'] : '');
$today = date('Y-m-d');
$wanted = tillbox_fold_case($typed);
foreach ($coupons as $entry) {
    $coupon = tillbox_coupon_entry($entry);
    if ($coupon !== null && tillbox_fold_case($coupon['code']) === $wanted
        && tillbox_coupon_applies($coupon, $today, $skus)) {
        json_response(tillbox_coupon_answer(true, $typed, $coupon));
    }
}
json_response(tillbox_coupon_answer(false, $typed, null));
